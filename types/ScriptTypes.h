// The script types the module's types answer with: the host's built-in ones
// and the module's own. Filled by the module object's Initialize, cleared again
// by its Shutdown; null outside that span (and a built-in the host lacks stays
// null).
#pragma once

class QSTypeDefinition;

struct ScriptTypes {
  // The host's built-in types, as LookupType gave them.
  static QSTypeDefinition* StringType;
  static QSTypeDefinition* UIntType;
  static QSTypeDefinition* BoolType;

  // The module's own types, owned by the module object.
  static QSTypeDefinition* VentriloType;
  static QSTypeDefinition* ElementType;
  static QSTypeDefinition* InstanceType;
  static QSTypeDefinition* ChannelType;
  static QSTypeDefinition* ServerType;
  static QSTypeDefinition* UserType;
};
