#include "types/VentriloScriptType.h"

#include "elements/VentriloElement.h"
#include "types/ScriptTypes.h"

#include <algorithm>
#include <cstring>
#include <limits>

VentriloElement* VentriloScriptType::ElementOf(std::uintptr_t value) {
  // A word wider than an id never names an element; truncating it could.
  if (value == 0 || value > std::numeric_limits<std::uint32_t>::max())
    return nullptr;
  return VentriloElement::FromID(static_cast<std::uint32_t>(value));
}

bool VentriloScriptType::CopyText(const char* text, char* buffer, std::uint32_t size) {
  if (!buffer || size == 0)
    return false;
  const std::size_t length = std::min<std::size_t>(std::strlen(text), size - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return true;
}

bool VentriloScriptType::Answer(QSTypeDefinition* type, std::uintptr_t data, ObjectRef* out) {
  if (!type || !out)
    return false;
  out->Type = type;
  out->Data = data;
  return true;
}

bool VentriloScriptType::AnswerText(const char* text, ObjectRef* out) {
  return Answer(ScriptTypes::StringType, reinterpret_cast<std::uintptr_t>(text), out);
}

bool VentriloScriptType::AnswerElement(VentriloElement* element, ObjectRef* out) {
  if (!element)
    return false;
  const ObjectRef object = element->ScriptObject();
  return Answer(object.Type, object.Data, out);
}

bool VentriloScriptType::NameToText(std::uintptr_t value, char* buffer, std::uint32_t size) {
  VentriloElement* element = ElementOf(value);
  return element && CopyText(element->GetName().c_str(), buffer, size);
}

const char* VentriloScriptType::FirstArgument(int argumentCount, const char* const* arguments) {
  return argumentCount >= 1 && arguments ? arguments[0] : nullptr;
}
