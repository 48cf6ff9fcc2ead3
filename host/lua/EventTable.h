// The events that scripts can handle: names declared by the module (and two of
// the host's own), and for each the Lua handlers attached with on(name, f).
// Handlers run in the order they were attached. A handler removed while an
// event is being dispatched is not called afterwards in that dispatch; one
// attached meanwhile waits for the next event.
#pragma once

#include "hostsdk/ScriptHost.h"

#include <string>
#include <string_view>
#include <vector>

struct lua_State;

class EventTable {
 public:
  // Creates the handler lists in the state's registry.
  explicit EventTable(lua_State* L);

  // The id of `name`; a name declared before keeps its id.
  int Declare(const char* name);
  // The id of a declared name, or -1.
  int Find(std::string_view name) const;
  const std::vector<std::string>& Names() const { return names_; }
  // The registry reference of the table of handler lists, by event id.
  int HandlersRef() const { return handlersRef_; }

  // Runs the handlers of `id` on `L` with the context (nil when null or
  // without a type) and the arguments; texts that read as whole integers
  // arrive as Lua integers. A failing handler is reported on the console and
  // the others still run. Returns the number of handlers that ran cleanly.
  int Fire(lua_State* L, int id, const ObjectRef* context, int argumentCount, const char* const* arguments);

  // The script functions on(name, f), off(name, f) and events().
  static void Register(lua_State* L);

 private:
  std::vector<std::string> names_;
  int handlersRef_;
};
