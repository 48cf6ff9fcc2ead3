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

  // The module's own types that no element answers as, owned by the module
  // object; the element kinds' own are in ElementContext.
  static QSTypeDefinition* VentriloType;
  static QSTypeDefinition* ElementType;
};
