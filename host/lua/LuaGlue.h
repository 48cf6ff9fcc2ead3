// What the Lua-facing code (script objects, the event table, queries and the
// host functions of scripts) needs of the host that serves a Lua state. The
// host installs itself as the state's glue when it creates the state; the
// code that Lua calls finds it again through From().
#pragma once

#include "hostsdk/ScriptHost.h"

#include <string_view>

class BuiltinType;
class Console;
class EventTable;
struct lua_State;

class LuaGlue {
 public:
  // The glue of the host that created `L` (or a thread of it).
  static LuaGlue* From(lua_State* L);
  // Makes `glue` the glue of the main state `L`.
  static void Install(lua_State* L, LuaGlue* glue);

  // Message handlers for lua_pcall: the error as a text (through __tostring
  // when it has one), and that text with a traceback.
  static int ErrorText(lua_State* L);
  static int ErrorTextWithTraceback(lua_State* L);

  // The Lua thread that calls from the module must use: the one whose script
  // is calling into the module, else the main state. Enter returns the
  // previous one for Leave.
  virtual lua_State* Enter(lua_State* L) = 0;
  virtual void Leave(lua_State* previous) = 0;
  // The host's built-in type behind `type`, or null for any other type.
  virtual const BuiltinType* Builtin(const QSTypeDefinition* type) const = 0;
  // Whether the module has `type` installed (its objects are usable).
  virtual bool IsInstalled(const QSTypeDefinition* type) const = 0;
  // The resolver bound under `name`, or null.
  virtual GlobalObjectResolver FindGlobal(std::string_view name) const = 0;
  virtual EventTable& Events() = 0;
  // A script called stop().
  virtual void RequestStop() = 0;
  // An interrupt is pending: no further handler is to run.
  virtual bool Interrupted() const = 0;
  // Raises, on `L`, the error of a query that failed to compile or to run
  // while the module was searching with it, if one did since the last call.
  // The module's code must have returned: this longjmps.
  virtual void RaiseQueryError(lua_State* L) = 0;
  // Forgets a query error that no call from a script met (before such a call).
  virtual void ForgetQueryError() = 0;
  // "<what>: <message>" on the console's error stream.
  virtual void ReportError(std::string_view what, const char* message) = 0;
  virtual Console& GetConsole() = 0;

 protected:
  ~LuaGlue() = default;
};
