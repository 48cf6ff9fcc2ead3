// The element model wired to a host without a module object: an event
// registry over `host` (null: events go nowhere), with its echo switch off,
// installed as the element model's context for the helper's life.
#pragma once

#include "elements/ElementContext.h"
#include "module/EventRegistry.h"

class HostedElements {
 public:
  explicit HostedElements(ScriptHost* host) {
    if (host)
      events.DeclareAll(host);
    ElementContext::Install(ElementContext{host, &events});
  }
  ~HostedElements() { ElementContext::Clear(); }

  HostedElements(const HostedElements&) = delete;
  HostedElements& operator=(const HostedElements&) = delete;

  EventRegistry events;
};
