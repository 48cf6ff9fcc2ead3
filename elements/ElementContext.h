// What the element model is handed by the module object that runs it: the host
// (console lines, queries), the sink its events go to, and the script type of
// each element kind. The module object installs it in Initialize and clears it
// in Shutdown; outside that span everything in it is null, so elements raise
// nothing and write nothing.
#pragma once

class EventSink;
class QSTypeDefinition;
class ScriptHost;

struct ElementContext {
  ScriptHost* host = nullptr;
  EventSink* events = nullptr;
  QSTypeDefinition* instanceType = nullptr;
  QSTypeDefinition* channelType = nullptr;
  QSTypeDefinition* serverType = nullptr;
  QSTypeDefinition* userType = nullptr;

  // The context in force (all null before the first Install).
  static const ElementContext& Get();
  static void Install(const ElementContext& context);
  static void Clear() { Install(ElementContext{}); }
};
