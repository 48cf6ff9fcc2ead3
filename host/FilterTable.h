// Queries that modules search with: a query is a Lua expression over one
// object's members, such as  Name == "Bob" and IsAdmin . Free names are the
// object's members (a failing member reads as nil; members that take
// arguments and methods are functions bound to the object, as in
// GetMetadata("tag") == "x"), then the script's globals.
#pragma once

#include "hostsdk/ScriptHost.h"

#include <map>

struct lua_State;

class FilterTable {
 public:
  // The compiled query, or 0 when the text is no expression.
  FilterHandle Parse(lua_State* L, const char* query);
  // Evaluates the query with `object` as its subject. False when the handle is
  // unknown, the object null, or the query raised an error (reported once per
  // query); otherwise `*matched` is 1 for a true result, else 0.
  bool Match(lua_State* L, FilterHandle filter, const ObjectRef* object, unsigned char* matched);
  void Release(lua_State* L, FilterHandle filter);
  std::size_t LiveCount() const { return filters_.size(); }

 private:
  struct Filter {
    int chunkRef;
    bool errorReported;
  };
  std::map<FilterHandle, Filter> filters_;
  FilterHandle nextHandle_ = 1;
};
