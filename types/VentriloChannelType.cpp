#include "types/VentriloChannelType.h"

#include "elements/VentriloInstance.h"

namespace {
enum Method : std::uint32_t { kJoin };
}

VentriloChannelType::VentriloChannelType() : VentriloInheritingType("ventrilochannel") {
  AddMethod(kJoin, "Join", nullptr);
}

bool VentriloChannelType::CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int, const char* const*) {
  VentriloElement* element = ElementOf(value);
  if (!element || !record || record->ID != kJoin)
    return false;
  // A channel and, through "ventriloserver", the server can be joined.
  if (!element->AsChannel() && !element->AsServer())
    return false;
  return element->GetInstance()->Join(element);
}
