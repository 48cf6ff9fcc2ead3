// A script host for the module loaded from its DLL: it records what the module
// asks of it, and reads every event's context the moment the event fires, as a
// script handler would (an element that is leaving is still readable then).
// Filters are not supported: ParseFilter answers 0.
#pragma once

#include "hostsdk/QSTypeDefinition.h"
#include "module/ScriptHost.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// One fired event with its context as a handler saw it.
struct FiredEvent {
  std::string name;
  std::vector<std::string> arguments;
  std::string contextType;  // the context's script type name
  std::string contextName;  // its Name member ("" when it has none)
  std::uint32_t contextID = 0;
  std::string parentName;   // its Parent's Name ("" when it has no parent)
};

class WineScriptHost : public ScriptHost {
 public:
  WineScriptHost();

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

  // A member of a script object, as a script reads obj.Name; false when the type does not answer.
  static bool Member(const ObjectRef& object, const char* name, ObjectRef* out);
  static std::string TextMember(const ObjectRef& object, const char* name);

  const std::vector<FiredEvent>& Events() const { return events_; }
  std::vector<std::string> Console() const;
  std::size_t InstalledTypeCount() const { return installed_.size(); }
  bool IsBound(const std::string& name) const { return globals_.contains(name); }
  GlobalObjectResolver Resolver(const std::string& name) const;

 private:
  QSTypeDefinition stringType_{"string"};
  QSTypeDefinition uintType_{"uint"};
  QSTypeDefinition boolType_{"bool"};
  std::vector<std::string> declared_;
  std::vector<FiredEvent> events_;
  std::vector<QSTypeDefinition*> installed_;
  std::map<std::string, GlobalObjectResolver> globals_;
  // The module writes one console line from its polling thread.
  mutable std::mutex consoleLock_;
  std::vector<std::string> console_;
};
