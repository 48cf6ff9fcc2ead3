// The process-wide state of the loaded module: the host it serves and the
// script types it hands out. Set by Chorister::Initialize, cleared again by
// Shutdown (the types) and by the module object's destruction (the host).
#pragma once

class QSTypeDefinition;
class ScriptHost;

struct ModuleGlobals {
  // The host's interface object, borrowed for the module's life.
  static ScriptHost* Host;

  // The host's built-in types, as LookupType gave them (null when it has none).
  static QSTypeDefinition* StringType;
  static QSTypeDefinition* UIntType;
  static QSTypeDefinition* BoolType;

  // The module's own types, owned by the module object between Initialize and
  // Shutdown; null outside that span.
  static QSTypeDefinition* VentriloType;
  static QSTypeDefinition* ElementType;
  static QSTypeDefinition* InstanceType;
  static QSTypeDefinition* ChannelType;
  static QSTypeDefinition* ServerType;
  static QSTypeDefinition* UserType;
};
