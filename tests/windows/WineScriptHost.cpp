#include "tests/windows/WineScriptHost.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

WineScriptHost::WineScriptHost() = default;

bool WineScriptHost::BindGlobalObject(const char* name, GlobalObjectResolver resolver) {
  return globals_.emplace(name, resolver).second;
}

bool WineScriptHost::UnbindGlobalObject(const char* name) { return globals_.erase(name) == 1; }

GlobalObjectResolver WineScriptHost::Resolver(const std::string& name) const {
  const auto found = globals_.find(name);
  return found == globals_.end() ? nullptr : found->second;
}

bool WineScriptHost::InstallType(QSTypeDefinition* type) {
  installed_.push_back(type);
  return true;
}

bool WineScriptHost::UninstallType(QSTypeDefinition* type) {
  return std::erase(installed_, type) == 1;
}

QSTypeDefinition* WineScriptHost::LookupType(const char* name, int, int) {
  for (QSTypeDefinition* type : {&stringType_, &uintType_, &boolType_}) {
    if (std::strcmp(type->GetName(), name) == 0)
      return type;
  }
  return nullptr;
}

int WineScriptHost::DeclareEvent(const char* name) {
  declared_.push_back(name);
  return int(declared_.size()) - 1;
}

bool WineScriptHost::Member(const ObjectRef& object, const char* name, ObjectRef* out) {
  return object.Type != nullptr && object.Type->GetMember(object.Data, name, 0, nullptr, out) == 1;
}

std::string WineScriptHost::TextMember(const ObjectRef& object, const char* name) {
  ObjectRef text{};
  if (!Member(object, name, &text) || text.Data == 0)
    return "";
  return reinterpret_cast<const char*>(text.Data);
}

int WineScriptHost::FireEvent(int eventId, int, int argumentCount, const char* const* arguments,
                              ObjectRef* context) {
  FiredEvent event;
  if (eventId >= 0 && std::size_t(eventId) < declared_.size())
    event.name = declared_[eventId];
  for (int i = 0; i < argumentCount && arguments != nullptr; ++i)
    event.arguments.push_back(arguments[i]);
  if (context != nullptr && context->Type != nullptr) {
    event.contextType = context->Type->GetName();
    event.contextName = TextMember(*context, "Name");
    ObjectRef value{};
    if (Member(*context, "ID", &value))
      event.contextID = std::uint32_t(value.Data);
    if (Member(*context, "Parent", &value))
      event.parentName = TextMember(value, "Name");
  }
  events_.push_back(event);
  return 1;
}

void WineScriptHost::ConsoleWrite(const char* format, ...) {
  char line[2048];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  std::lock_guard<std::mutex> guard(consoleLock_);
  console_.push_back(line);
}

std::vector<std::string> WineScriptHost::Console() const {
  std::lock_guard<std::mutex> guard(consoleLock_);
  return console_;
}

FilterHandle WineScriptHost::ParseFilter(const char*) { return 0; }

bool WineScriptHost::MatchFilter(FilterHandle, ObjectRef*, unsigned char*) { return false; }

void WineScriptHost::ReleaseFilter(FilterHandle) {}
