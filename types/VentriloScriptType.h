// The common ground of the module's six script types: how an object's value
// word leads back to its element, how a result is handed to the host, and how
// a text is written into the host's buffer.
#pragma once

#include "hostsdk/QSTypeDefinition.h"

#include <cstdint>

class VentriloElement;

class VentriloScriptType : public QSTypeDefinition {
 public:
  // An element object's value word is the element's ID, never its address. A
  // script may keep an object past the pulse that destroyed its element; ids
  // are never reused, so such an object resolves to null here and every use of
  // it fails cleanly instead of reaching freed memory.
  static VentriloElement* ElementOf(std::uintptr_t value);

  // Copies `text` into `buffer`, cut to size - 1 bytes, always terminated. A
  // missing buffer or one of size 0 receives nothing, and the copy fails.
  static bool CopyText(const char* text, char* buffer, std::uint32_t size);

 protected:
  explicit VentriloScriptType(const char* name) : QSTypeDefinition(name) {}

  // Fill `out` with a result of the host's type `type`. A host that lacks the
  // built-in type (its lookup gave null) cannot receive the value: false.
  static bool Answer(QSTypeDefinition* type, std::uintptr_t data, ObjectRef* out);
  // A "string" result: Data points at the text itself, which the element owns.
  static bool AnswerText(const char* text, ObjectRef* out);
  // An element result with the element's own script type; false for none.
  static bool AnswerElement(VentriloElement* element, ObjectRef* out);

  // The text of an element object: its name.
  static bool NameToText(std::uintptr_t value, char* buffer, std::uint32_t size);

  // The first argument, when the script gave one.
  static const char* FirstArgument(int argumentCount, const char* const* arguments);
};
