#include "tests/support/RecordingHost.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <iterator>

RecordingHost::RecordingHost() = default;
RecordingHost::~RecordingHost() = default;

std::string RecordingHost::FiredEvent::ToString() const {
  std::string text = name + "(" + typeName + "#" + std::to_string(context.Data);
  for (const std::string& arg : args)
    text += " " + arg;
  return text + ")";
}

void RecordingHost::Record(std::string call) {
  std::lock_guard<std::mutex> guard(mutex_);
  calls_.push_back(std::move(call));
}

bool RecordingHost::BindGlobalObject(const char* name, GlobalObjectResolver resolver) {
  Record(std::string("BindGlobalObject(") + name + ")");
  globals[name] = resolver;
  return true;
}

bool RecordingHost::UnbindGlobalObject(const char* name) {
  Record(std::string("UnbindGlobalObject(") + name + ")");
  return globals.erase(name) > 0;
}

bool RecordingHost::InstallType(QSTypeDefinition* type) {
  Record(std::string("InstallType(") + (type ? type->GetName() : "null") + ")");
  if (!type)
    return false;
  installedTypes.push_back(type);
  return true;
}

bool RecordingHost::UninstallType(QSTypeDefinition* type) {
  Record(std::string("UninstallType(") + (type ? type->GetName() : "null") + ")");
  const auto found = std::find(installedTypes.begin(), installedTypes.end(), type);
  if (found == installedTypes.end())
    return false;
  installedTypes.erase(found);
  uninstalledTypes.push_back(type);
  return true;
}

QSTypeDefinition* RecordingHost::LookupType(const char* name, int, int) {
  Record(std::string("LookupType(") + name + ")");
  for (QSTypeDefinition* type : {&stringType_, &uintType_, &boolType_}) {
    if (std::string(type->GetName()) == name)
      return type;
  }
  return nullptr;
}

int RecordingHost::DeclareEvent(const char* name) {
  Record(std::string("DeclareEvent(") + name + ")");
  declaredEvents.emplace_back(name);
  return static_cast<int>(declaredEvents.size()) - 1;
}

int RecordingHost::FireEvent(int eventId, int, int argumentCount, const char* const* arguments, ObjectRef* context) {
  FiredEvent event;
  event.id = eventId;
  if (eventId >= 0 && eventId < static_cast<int>(declaredEvents.size()))
    event.name = declaredEvents[static_cast<std::size_t>(eventId)];
  Record("FireEvent(" + event.name + ")");
  event.nullArgs = arguments == nullptr;
  for (int i = 0; arguments && i < argumentCount; ++i)
    event.args.emplace_back(arguments[i] ? arguments[i] : "");
  if (context) {
    event.context = *context;
    event.typeName = context->Type ? context->Type->GetName() : "";
  }
  fired.push_back(event);
  return onFire ? onFire(event) : 0;
}

void RecordingHost::ConsoleWrite(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0)
    std::vsnprintf(line.data(), line.size() + 1, format, args);
  va_end(args);
  std::lock_guard<std::mutex> guard(mutex_);
  calls_.push_back("ConsoleWrite");
  console_.push_back(std::move(line));
}

FilterHandle RecordingHost::ParseFilter(const char* query) {
  Record(std::string("ParseFilter(") + (query ? query : "null") + ")");
  return parseFilter ? parseFilter(query) : 0;
}

bool RecordingHost::MatchFilter(FilterHandle filter, ObjectRef* object, unsigned char* matched) {
  Record("MatchFilter");
  return matchFilter && matchFilter(filter, object, matched);
}

void RecordingHost::ReleaseFilter(FilterHandle filter) {
  Record("ReleaseFilter");
  if (releaseFilter)
    releaseFilter(filter);
}

std::vector<std::string> RecordingHost::Calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_;
}

std::vector<std::string> RecordingHost::Console() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return console_;
}

void RecordingHost::ClearRecords() {
  std::lock_guard<std::mutex> guard(mutex_);
  calls_.clear();
  console_.clear();
  fired.clear();
}

std::vector<std::string> RecordingHost::FiredNames() const {
  std::vector<std::string> names;
  for (const FiredEvent& event : fired)
    names.push_back(event.name);
  return names;
}

std::vector<std::string> RecordingHost::FiredSummaries() const {
  std::vector<std::string> summaries;
  for (const FiredEvent& event : fired)
    summaries.push_back(event.ToString());
  return summaries;
}

std::vector<RecordingHost::FiredEvent> RecordingHost::FiredNamed(const std::string& name) const {
  std::vector<FiredEvent> matching;
  std::copy_if(fired.begin(), fired.end(), std::back_inserter(matching),
               [&](const FiredEvent& event) { return event.name == name; });
  return matching;
}

QSTypeDefinition* RecordingHost::InstalledType(const std::string& name) const {
  for (QSTypeDefinition* type : installedTypes) {
    if (name == type->GetName())
      return type;
  }
  return nullptr;
}

bool RecordingHost::ResolveGlobal(const std::string& name, const std::vector<std::string>& arguments,
                                  ObjectRef* out) const {
  const auto found = globals.find(name);
  if (found == globals.end() || !found->second)
    return false;
  std::vector<const char*> texts;
  for (const std::string& argument : arguments)
    texts.push_back(argument.c_str());
  return found->second(static_cast<int>(texts.size()), texts.empty() ? nullptr : texts.data(), out);
}

std::string RecordingHost::Text(const ObjectRef& value) const {
  if (value.Type == &stringType_)
    return value.Data ? reinterpret_cast<const char*>(value.Data) : "";
  if (value.Type == &uintType_)
    return std::to_string(static_cast<std::uint32_t>(value.Data));
  if (value.Type == &boolType_)
    return value.Data ? "true" : "false";
  char buffer[1024] = "";
  if (!value.Type || !value.Type->ToText(value.Data, buffer, sizeof buffer))
    return "";
  return buffer;
}
