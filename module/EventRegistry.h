// The module's 17 script events: their names, the ids the host gave them, and
// the one way each is raised.
#pragma once

#include "module/ScriptEvent.h"
#include "module/ScriptHost.h"

#include <cstdint>

// What a raise tells about the element it concerns. `object` is the event's
// context; the other fields fill the console echo. Null texts echo as "".
struct EventContext {
  ObjectRef object;
  const char* typeName;
  std::uint32_t id;
  const char* name;
};

class EventRegistry {
 public:
  // Declares every event with the host, in enum order, keeping the ids.
  static void DeclareAll(ScriptHost* host);
  // The id the host gave the event (-1 before DeclareAll).
  static int GetID(ScriptEvent event);
  // "Ventrilo.OnJoinedParent" and so on; null for a value outside the enum.
  static const char* GetName(ScriptEvent event);

  // The echo switch lives in the module object: off while there is none.
  static bool IsEchoOn();
  static void SetEcho(bool on);

  // Raises `event`: with the echo on, first writes its echo line to the host
  // console; then fires it with `context.object` as context. FlagsChanged and
  // IconChanged carry `previous` as their one argument, in decimal; the others
  // carry none (a null argument array). Returns what FireEvent returns, or 0
  // when there is no host. An exception out of FireEvent ends there: it is
  // reported in one console line and the raise returns 0.
  static int Raise(ScriptEvent event, const EventContext& context, int previous = 0);
};
