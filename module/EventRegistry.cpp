#include "module/EventRegistry.h"

#include "hostsdk/ScriptHost.h"

#include <cstdio>
#include <cstring>

namespace {

// Which values an echo line shows, in the order its placeholders take them.
enum class EchoShape { TypeIdName, TypeName, PreviousTypeName, PreviousTypeIdName, Id, IdName };

struct EventInfo {
  const char* name;
  const char* echo;
  EchoShape shape;
  // The joined and leaving instance events show a user with its id: for a user
  // context this line (IdName) replaces `echo`.
  const char* userEcho;
};

constexpr EventInfo kEvents[kScriptEventCount] = {
    {"Ventrilo.OnLeavingParent", "[Ventrilo.OnLeavingParent] Context(type)=%s Context.ID=%d Context.Name=\"%s\"",
     EchoShape::TypeIdName, nullptr},
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
    {"Ventrilo.OnRankIDChanged", "[Ventrilo.OnRankIDChanged] Context(type)=%s Context.Name=\"%s\"", EchoShape::TypeName,
     nullptr},
    {"Ventrilo.OnFlagsChanged", "[Ventrilo.OnFlagsChanged](%d) Context(type)=%s Context.Name=\"%s\"",
     EchoShape::PreviousTypeName, nullptr},
    {"Ventrilo.OnIconChanged", "[Ventrilo.OnIconChanged](%d) Context(type)=%s Context.ID=%d Context.Name=\"%s\"",
     EchoShape::PreviousTypeIdName, nullptr},
    {"Ventrilo.OnOnline", "[Ventrilo.OnOnline] Context(type)=ventriloinstance Context.ID=%d", EchoShape::Id, nullptr},
    {"Ventrilo.OnOffline", "[Ventrilo.OnOffline] Context(type)=ventriloinstance Context.ID=%d", EchoShape::Id, nullptr},
    {"Ventrilo.OnLeavingInstance", "[Ventrilo.OnLeavingInstance] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, "[Ventrilo.OnLeavingInstance] Context(type)=ventrilouser Context.ID=%d Context.Name=\"%s\""},
    {"Ventrilo.OnJoinedInstance", "[Ventrilo.OnJoinedInstance] Context(type)=%s Context.Name=\"%s\"",
     EchoShape::TypeName, "[Ventrilo.OnJoinedInstance] Context(type)=ventrilouser Context.ID=%d Context.Name=\"%s\""},
    {"Ventrilo.OnInstanceOpened", "[Ventrilo.OnInstanceOpened] Context(type)=ventriloinstance Context.ID=%d",
     EchoShape::Id, nullptr},
    {"Ventrilo.OnInstanceClosed", "[Ventrilo.OnInstanceClosed] Context(type)=ventriloinstance Context.ID=%d",
     EchoShape::Id, nullptr},
};

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

EventRegistry::EventRegistry() {
  for (int& id : ids_)
    id = -1;
}

void EventRegistry::DeclareAll(ScriptHost* host) {
  host_ = host;
  for (int i = 0; i < kScriptEventCount; ++i)
    ids_[i] = host->DeclareEvent(kEvents[i].name);
}

int EventRegistry::GetID(ScriptEvent event) const { return IsKnown(event) ? ids_[static_cast<int>(event)] : -1; }

const char* EventRegistry::GetName(ScriptEvent event) {
  return IsKnown(event) ? kEvents[static_cast<int>(event)].name : nullptr;
}

int EventRegistry::Raise(ScriptEvent event, const EventContext& context, int previous) {
  ScriptHost* host = host_;
  if (!host || !IsKnown(event))
    return 0;
  const EventInfo& info = kEvents[static_cast<int>(event)];
  if (echo_)
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
    return host->FireEvent(ids_[static_cast<int>(event)], 0, argumentCount, argumentCount ? arguments : nullptr,
                           &object);
  } catch (...) {
    host->ConsoleWrite("Chorister: an exception left the handlers of %s; ignored\n", info.name);
    return 0;
  }
}
