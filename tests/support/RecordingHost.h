// A script host for tests: it serves every ScriptHost operation and records
// what the module asks of it.
//
// Recorded: each call (as "Operation(detail)", in order), each console line as
// formatted text, the declared events (DeclareEvent returns the index), each
// fired event with its arguments and context, the installed and uninstalled
// types, and the bound global objects. It owns the built-in types "string",
// "uint" and "bool". Filters are whatever a test plugs in; without them the
// host compiles no query (ParseFilter gives 0).
//
// The module calls ConsoleWrite from its polling thread too, so calls and
// console lines are kept under a lock and read through Calls() and Console();
// everything else happens on the test's (the host's main) thread.
#pragma once

#include "hostsdk/QSDeletableType.h"
#include "hostsdk/QSTypeDefinition.h"
#include "hostsdk/ScriptHost.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class RecordingHost final : public ScriptHost {
 public:
  struct FiredEvent {
    int id = -1;
    std::string name;  // the declared name, or "" for an undeclared id
    std::vector<std::string> args;
    bool nullArgs = false;  // the module passed a null argument array
    ObjectRef context{nullptr, 0};
    std::string typeName;  // the context type's name, "" for none

    // "Ventrilo.OnFlagsChanged(ventrilouser#7 3)": name, context type and
    // Data word, then the arguments.
    std::string ToString() const;
  };

  RecordingHost();
  ~RecordingHost();

  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  // ---- ScriptHost
  bool BindGlobalObject(const char* name, GlobalObjectResolver resolver) override;
  bool UnbindGlobalObject(const char* name) override;
  bool InstallType(QSTypeDefinition* type) override;
  bool UninstallType(QSTypeDefinition* type) override;
  QSTypeDefinition* LookupType(const char* name, int reserved1, int reserved2) override;
  int DeclareEvent(const char* name) override;
  int FireEvent(int eventId, int reserved, int argumentCount, const char* const* arguments,
                ObjectRef* context) override;
  void ConsoleWrite(const char* format, ...) override __attribute__((format(printf, 2, 3)));
  FilterHandle ParseFilter(const char* query) override;
  bool MatchFilter(FilterHandle filter, ObjectRef* object, unsigned char* matched) override;
  void ReleaseFilter(FilterHandle filter) override;

  // ---- what a test plugs in
  // Runs inside FireEvent, as a script handler would; its result is FireEvent's.
  std::function<int(const FiredEvent&)> onFire;
  std::function<FilterHandle(const char* query)> parseFilter;
  std::function<bool(FilterHandle, ObjectRef*, unsigned char*)> matchFilter;
  std::function<void(FilterHandle)> releaseFilter;

  // ---- recordings
  std::vector<std::string> Calls() const;
  std::vector<std::string> Console() const;
  std::vector<std::string> declaredEvents;
  std::vector<FiredEvent> fired;
  std::vector<QSTypeDefinition*> installedTypes;
  std::vector<QSTypeDefinition*> uninstalledTypes;
  std::map<std::string, GlobalObjectResolver> globals;

  // ---- helpers
  // Forgets the calls, console lines and fired events (not declarations,
  // types or bindings).
  void ClearRecords();
  std::vector<std::string> FiredNames() const;
  // Every fired event as FiredEvent::ToString gives it.
  std::vector<std::string> FiredSummaries() const;
  // The fired events of that name, oldest first.
  std::vector<FiredEvent> FiredNamed(const std::string& name) const;
  // The installed type of that name, or null.
  QSTypeDefinition* InstalledType(const std::string& name) const;
  // Resolves a bound global object as a script naming it would ("Ventrilo",
  // or "Ventrilo[3]" with the argument "3"). False when it is not bound.
  bool ResolveGlobal(const std::string& name, const std::vector<std::string>& arguments, ObjectRef* out) const;
  // A value as a script would print it: "string", "uint" and "bool" read
  // directly, other types through their ToText ("" when that fails).
  std::string Text(const ObjectRef& value) const;

  QSTypeDefinition* StringType() { return &stringType_; }
  QSTypeDefinition* UIntType() { return &uintType_; }
  QSTypeDefinition* BoolType() { return &boolType_; }

 private:
  void Record(std::string call);

  QSDeletableType<QSTypeDefinition> stringType_{"string"};
  QSDeletableType<QSTypeDefinition> uintType_{"uint"};
  QSDeletableType<QSTypeDefinition> boolType_{"bool"};
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::vector<std::string> console_;
};
