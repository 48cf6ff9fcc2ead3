// The module's 17 script events: their names, the ids the host gave them, and
// the one way each is raised, and the echo switch (SetEventSpam), off at start.
// The module object keeps one and hands it to the element model as its event
// sink.
#pragma once

#include "elements/EventSink.h"
#include "elements/ScriptEvent.h"

class ScriptHost;

class EventRegistry final : public EventSink {
 public:
  EventRegistry();

  EventRegistry(const EventRegistry&) = delete;
  EventRegistry& operator=(const EventRegistry&) = delete;

  // Declares every event with `host`, in enum order, keeping the ids; from
  // then on events are raised to `host`.
  void DeclareAll(ScriptHost* host);
  // Raises nothing from here on, until the next DeclareAll.
  void Detach() { host_ = nullptr; }
  // The id the host gave the event (-1 before DeclareAll).
  int GetID(ScriptEvent event) const;
  // "Ventrilo.OnJoinedParent" and so on; null for a value outside the enum.
  static const char* GetName(ScriptEvent event);

  bool IsEchoOn() const { return echo_; }
  void SetEcho(bool on) override { echo_ = on; }

  // Raises `event`: with the echo on, first writes its echo line to the host
  // console; then fires it with `context.object` as context. FlagsChanged and
  // IconChanged carry `previous` as their one argument, in decimal; the others
  // carry none (a null argument array). Returns what FireEvent returns, or 0
  // when there is no host. An exception out of FireEvent ends there: it is
  // reported in one console line and the raise returns 0.
  int Raise(ScriptEvent event, const EventContext& context, int previous = 0) override;

 private:
  ScriptHost* host_ = nullptr;
  bool echo_ = false;
  int ids_[kScriptEventCount];
};
