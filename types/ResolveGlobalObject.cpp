#include "types/ResolveGlobalObject.h"

#include "elements/VentriloElement.h"
#include "types/ScriptTypes.h"
#include "types/VentriloType.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

bool ResolveGlobalObject(int argumentCount, const char* const* arguments, ObjectRef* out) {
  if (!out)
    return false;
  if (argumentCount <= 0) {
    if (!ScriptTypes::VentriloType)
      return false;
    *out = {ScriptTypes::VentriloType, VentriloType::kObjectValue};
    return true;
  }
  if (!arguments || !arguments[0])
    return false;
  // The index is read as atoi reads it, so text without leading digits is id 0,
  // which no element has. strtoll reads the same prefix without atoi's undefined
  // overflow; a value outside the id range names no element rather than
  // wrapping onto one.
  const long long id = std::strtoll(arguments[0], nullptr, 10);
  if (id <= 0 || id > std::numeric_limits<std::uint32_t>::max())
    return false;
  VentriloElement* element = VentriloElement::FromID(static_cast<std::uint32_t>(id));
  if (!element)
    return false;
  *out = element->ScriptObject();
  return true;
}
