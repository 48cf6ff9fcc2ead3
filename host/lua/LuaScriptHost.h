// A script host that runs Lua 5.4 scripts over a module's objects. It serves
// the module's ScriptHost calls (types, global objects, events, console,
// queries) and gives scripts:
//   - each bound global object by its name (Ventrilo, Ventrilo[3]);
//   - on(event, f), off(event, f), events() to handle the declared events,
//     and stop() to end the host's run;
//   - print, which writes to the host's console.
// Everything but ConsoleWrite runs on the host's main thread. Every entry into
// Lua from C++ is a protected call: a script error is reported on the console
// with its file and line and never unwinds through the module's code.
#pragma once

#include "host/lua/BuiltinType.h"
#include "host/lua/Console.h"
#include "host/lua/EventTable.h"
#include "host/lua/FilterTable.h"
#include "host/lua/LuaGlue.h"
#include "hostsdk/ScriptHost.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct lua_State;

// ScriptHost comes first: the module is handed the object as its ScriptHost
// and calls it by slot, so that base's table must be the object's own.
class LuaScriptHost final : public ScriptHost, public LuaGlue {
 public:
  // The host's own events, declared before any of the module's: after every
  // pulse, and once before the module is shut down.
  static constexpr const char* kPulseEvent = "Host.OnPulse";
  static constexpr const char* kStopEvent = "Host.OnStop";

  explicit LuaScriptHost(Console& console);
  ~LuaScriptHost();

  LuaScriptHost(const LuaScriptHost&) = delete;
  LuaScriptHost& operator=(const LuaScriptHost&) = delete;

  bool BindGlobalObject(const char* name, GlobalObjectResolver resolver) override;
  bool UnbindGlobalObject(const char* name) override;
  bool InstallType(QSTypeDefinition* type) override;
  bool UninstallType(QSTypeDefinition* type) override;
  QSTypeDefinition* LookupType(const char* name, int reserved1, int reserved2) override;
  int DeclareEvent(const char* name) override;
  int FireEvent(int eventId, int reserved, int argumentCount, const char* const* arguments,
                ObjectRef* context) override;
  __attribute__((format(printf, 2, 3))) void ConsoleWrite(const char* format, ...) override;
  FilterHandle ParseFilter(const char* query) override;
  bool MatchFilter(FilterHandle filter, ObjectRef* object, unsigned char* matched) override;
  void ReleaseFilter(FilterHandle filter) override;

  // Compiles a script file for RunLoaded. A load error (no such file, a
  // directory, a syntax error) is reported; false then.
  bool LoadFile(const std::string& path);
  // Runs what LoadFile compiled, once. A run error is reported; false then
  // (and when nothing is loaded).
  bool RunLoaded();
  // Loads and runs a script file or a text. A load or run error is reported;
  // false then.
  bool RunFile(const std::string& path);
  bool RunString(const std::string& code, const std::string& chunkName);
  // Puts the Lua files in `folder` first on require's path.
  void AddLibraryFolder(const std::string& folder);
  void NotifyPulse();
  // Runs the Host.OnStop handlers; after them no event reaches a handler.
  void NotifyStop();
  // Makes the script that runs now, or the next one to run, raise
  // "interrupted!" at its next instruction, and drops every event fired until
  // ClearInterrupt (the rest of a pulse's dispatch, the rest of Host.OnStop's
  // handlers). Safe in a signal handler and from another thread, as
  // lua_sethook and a lock-free atomic are.
  void Interrupt();
  // Withdraws the interrupt: events reach their handlers again.
  void ClearInterrupt();
  // A script called stop().
  bool StopRequested() const { return stopRequested_; }

  // The queries compiled and not yet released.
  const FilterTable& Filters() const { return filters_; }

 private:
  // What the Lua-facing code asks of the host (LuaGlue).
  lua_State* Enter(lua_State* L) override;
  void Leave(lua_State* previous) override { active_ = previous; }
  const BuiltinType* Builtin(const QSTypeDefinition* type) const override;
  bool IsInstalled(const QSTypeDefinition* type) const override;
  GlobalObjectResolver FindGlobal(std::string_view name) const override;
  EventTable& Events() override { return events_; }
  void RequestStop() override { stopRequested_ = true; }
  bool Interrupted() const override { return interrupted_.load(); }
  void RaiseQueryError(lua_State* L) override { filters_.RaiseError(L); }
  void ForgetQueryError() override { filters_.ForgetError(); }
  void ReportError(std::string_view what, const char* message) override;
  Console& GetConsole() override { return console_; }

  struct StateCloser {
    void operator()(lua_State* L) const;
  };

  // Compiles a text, or the file `name` when `code` is null, and pushes the
  // chunk, or the reported error message (false then).
  bool Load(const char* code, std::size_t size, const char* name);
  // Runs the chunk on top of the stack and pops it.
  bool CallLoaded();

  Console& console_;
  BuiltinType string_{BuiltinType::Kind::String};
  BuiltinType uint_{BuiltinType::Kind::UInt};
  BuiltinType bool_{BuiltinType::Kind::Bool};
  std::vector<QSTypeDefinition*> installed_;
  std::map<std::string, GlobalObjectResolver, std::less<>> globals_;
  std::unique_ptr<lua_State, StateCloser> state_;
  lua_State* active_;
  EventTable events_;
  FilterTable filters_;
  int pulseEvent_;
  int stopEvent_;
  int loadedRef_;
  std::atomic<bool> interrupted_{false};
  bool stopRequested_ = false;
  bool stopped_ = false;
};
