#include "module/EventRegistry.h"

#include "module/Chorister.h"
#include "module/ModuleGlobals.h"

#include <cstdio>
#include <cstring>

namespace {

// Which values an echo line shows, in the order its placeholders take them.
enum class EchoShape { TypeIdName, TypeName, PreviousTypeName, PreviousTypeIdName, Id, IdName };

struct EventInfo {
  const char* name;
  const char* echo;
  EchoShape shape;
  // Rows 14 and 15 show users with their id: this line (IdName) replaces `echo`.
  const char* userEcho;
};

constexpr EventInfo kEvents[kScriptEventCount] = {
    {"Ventrilo.OnLeavingParent",
     "[Ventrilo.OnLeavingParent] Context(type)=%s Context.ID=%d Context.Name=\"%s\"", EchoShape::TypeIdName,
     nullptr},
    {"Ventrilo.OnJoinedParent", "[Ventrilo.OnJoinedParent] Context(type)=%s Context.ID=%d Context.Name=\"%s\"",
     EchoShape::TypeIdName, nullptr},
    {"Ventrilo.OnDisplayTextChanged", "[Ventrilo.OnDisplayTextChanged] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, nullptr},
    {"Ventrilo.OnPronunciationChanged", "[Ventrilo.OnPronunciationChanged] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, nullptr},
    {"Ventrilo.OnNameChanged", "[Ventrilo.OnNameChanged] Context(type)=%s Context.Name=\"%s\"", EchoShape::TypeName,
     nullptr},
    {"Ventrilo.OnCommentChanged", "[Ventrilo.OnCommentChanged] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, nullptr},
    {"Ventrilo.OnCommentURLChanged", "[Ventrilo.OnCommentURLChanged] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, nullptr},
    {"Ventrilo.OnRankChanged", "[Ventrilo.OnRankChanged] Context(type)=%s Context.Name=\"%s\"", EchoShape::TypeName,
     nullptr},
    {"Ventrilo.OnRankIDChanged", "[Ventrilo.OnRankIDChanged] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, nullptr},
    {"Ventrilo.OnFlagsChanged", "[Ventrilo.OnFlagsChanged](%d) Context(type)=%s Context.Name=\"%s\"",
     EchoShape::PreviousTypeName, nullptr},
    {"Ventrilo.OnIconChanged", "[Ventrilo.OnIconChanged](%d) Context(type)=%s Context.ID=%d Context.Name=\"%s\"",
     EchoShape::PreviousTypeIdName, nullptr},
    {"Ventrilo.OnOnline", "[Ventrilo.OnOnline] Context(type)=ventriloinstance Context.ID=%d", EchoShape::Id, nullptr},
    {"Ventrilo.OnOffline", "[Ventrilo.OnOffline] Context(type)=ventriloinstance Context.ID=%d", EchoShape::Id,
     nullptr},
    {"Ventrilo.OnLeavingInstance", "[Ventrilo.OnLeavingInstance] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName,
     "[Ventrilo.OnLeavingInstance] Context(type)=ventrilouser Context.ID=%d Context.Name=\"%s\""},
    {"Ventrilo.OnJoinedInstance", "[Ventrilo.OnJoinedInstance] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName,
     "[Ventrilo.OnJoinedInstance] Context(type)=ventrilouser Context.ID=%d Context.Name=\"%s\""},
    {"Ventrilo.OnInstanceOpened", "[Ventrilo.OnInstanceOpened] Context(type)=ventriloinstance Context.ID=%d",
     EchoShape::Id, nullptr},
    {"Ventrilo.OnInstanceClosed", "[Ventrilo.OnInstanceClosed] Context(type)=ventriloinstance Context.ID=%d",
     EchoShape::Id, nullptr},
};

int eventIds[kScriptEventCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

bool IsKnown(ScriptEvent event) {
  const int index = static_cast<int>(event);
  return index >= 0 && index < kScriptEventCount;
}

bool CarriesPrevious(ScriptEvent event) {
  return event == ScriptEvent::FlagsChanged || event == ScriptEvent::IconChanged;
}

void Echo(ScriptHost* host, const EventInfo& info, const EventContext& context, int previous) {
  const char* type = context.typeName ? context.typeName : "";
  const char* name = context.name ? context.name : "";
  const int id = static_cast<int>(context.id);
  const bool asUser = info.userEcho && std::strcmp(type, "ventrilouser") == 0;
  const char* format = asUser ? info.userEcho : info.echo;
  switch (asUser ? EchoShape::IdName : info.shape) {
    case EchoShape::TypeIdName:
      host->ConsoleWrite(format, type, id, name);
      break;
    case EchoShape::TypeName:
      host->ConsoleWrite(format, type, name);
      break;
    case EchoShape::PreviousTypeName:
      host->ConsoleWrite(format, previous, type, name);
      break;
    case EchoShape::PreviousTypeIdName:
      host->ConsoleWrite(format, previous, type, id, name);
      break;
    case EchoShape::Id:
      host->ConsoleWrite(format, id);
      break;
    case EchoShape::IdName:
      host->ConsoleWrite(format, id, name);
      break;
  }
}

}  // namespace

void EventRegistry::DeclareAll(ScriptHost* host) {
  for (int i = 0; i < kScriptEventCount; ++i)
    eventIds[i] = host->DeclareEvent(kEvents[i].name);
}

int EventRegistry::GetID(ScriptEvent event) { return IsKnown(event) ? eventIds[static_cast<int>(event)] : -1; }

const char* EventRegistry::GetName(ScriptEvent event) {
  return IsKnown(event) ? kEvents[static_cast<int>(event)].name : nullptr;
}

bool EventRegistry::IsEchoOn() {
  const Chorister* module = Chorister::Get();
  return module && module->IsEventEchoOn();
}

void EventRegistry::SetEcho(bool on) {
  if (Chorister* module = Chorister::Get())
    module->SetEventEcho(on);
}

int EventRegistry::Raise(ScriptEvent event, const EventContext& context, int previous) {
  ScriptHost* host = ModuleGlobals::Host;
  if (!host || !IsKnown(event))
    return 0;
  const EventInfo& info = kEvents[static_cast<int>(event)];
  if (IsEchoOn())
    Echo(host, info, context, previous);
  char previousText[16];
  const char* arguments[1] = {previousText};
  int argumentCount = 0;
  if (CarriesPrevious(event)) {
    std::snprintf(previousText, sizeof previousText, "%d", previous);
    argumentCount = 1;
  }
  ObjectRef object = context.object;
  // A host that lets a handler's exception out of FireEvent must not unwind
  // through the pass that raised the event: the tree would be left half
  // changed. The raise counts as done and the pass goes on.
  try {
    return host->FireEvent(eventIds[static_cast<int>(event)], 0, argumentCount, argumentCount ? arguments : nullptr,
                           &object);
  } catch (...) {
    host->ConsoleWrite("Chorister: an exception left the handlers of %s; ignored\n", info.name);
    return 0;
  }
}
