// Queries that modules search with: a query is a Lua expression over one
// object's members, such as  Name == "Bob" and IsAdmin . Free names are the
// object's members (read with no arguments; a failing member reads as nil;
// methods are functions bound to the object, as in Select()), then `self`, the
// object itself (self:GetMetadata("tag")), then the script's globals.
//
// A query that does not compile or raises an error is no silent failure: the
// module only learns that it failed, and the script whose call into the module
// searched with it gets the error (RaiseError) once the module has returned.
#pragma once

#include "hostsdk/ScriptHost.h"

#include <map>
#include <string>

struct lua_State;

class FilterTable {
 public:
  // The compiled query, or 0 when the text is no expression (the error is
  // kept for RaiseError).
  FilterHandle Parse(lua_State* L, const char* query);
  // Evaluates the query with `object` as its subject. False when the handle is
  // unknown, the object null, or the query raised an error now or before (the
  // first error is kept for RaiseError); otherwise `*matched` is 1 for a true
  // result, else 0.
  bool Match(lua_State* L, FilterHandle filter, const ObjectRef* object, unsigned char* matched);
  void Release(lua_State* L, FilterHandle filter);
  std::size_t LiveCount() const { return filters_.size(); }
  // Raises the kept error, if any, on `L`, with the position of the calling
  // script's line; the error is then forgotten.
  void RaiseError(lua_State* L);
  void ForgetError() { error_.clear(); }

 private:
  struct Filter {
    int chunkRef;
    std::string query;
    bool failed;
  };
  std::map<FilterHandle, Filter> filters_;
  FilterHandle nextHandle_ = 1;
  std::string error_;
};
