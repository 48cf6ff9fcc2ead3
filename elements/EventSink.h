// Where the element model raises its script events. The element model owns
// this interface; the module object implements it over the host and hands it
// over through ElementContext.
#pragma once

#include <cstdint>

#include "elements/ScriptEvent.h"
#include "hostsdk/ScriptHost.h"

// What a raise tells about the element it concerns. `object` is the event's
// context; the other fields fill the console echo. Null texts echo as "".
struct EventContext {
  ObjectRef object;
  const char* typeName;
  std::uint32_t id;
  const char* name;
};

class EventSink {
 public:
  // Raises `event` with `context`: FlagsChanged and IconChanged carry
  // `previous` as their one argument. Returns what the host's handlers give.
  virtual int Raise(ScriptEvent event, const EventContext& context, int previous) = 0;
  // Switches the console echo of every raise on or off.
  virtual void SetEcho(bool on) = 0;

 protected:
  ~EventSink() = default;
};
