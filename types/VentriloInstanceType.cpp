#include "types/VentriloInstanceType.h"

#include "elements/VentriloInstance.h"
#include "elements/VentriloUser.h"

#include <cstdio>

namespace {
enum Member : std::uint32_t { kFind, kMe, kSelection, kNextInstance, kPreviousInstance };
}

VentriloInstanceType::VentriloInstanceType() : VentriloInheritingType("ventriloinstance") {
  AddMember(kFind, "Find", nullptr);
  AddMember(kMe, "Me", nullptr);
  AddMember(kNextInstance, "NextInstance", nullptr);
  AddMember(kPreviousInstance, "PreviousInstance", nullptr);
  AddMember(kSelection, "Selection", nullptr);
}

VentriloInstance* VentriloInstanceType::InstanceOf(std::uintptr_t value) {
  // An instance element is the only element that is its own instance.
  VentriloElement* element = ElementOf(value);
  VentriloInstance* instance = element ? element->GetInstance() : nullptr;
  return instance == element ? instance : nullptr;
}

bool VentriloInstanceType::GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount,
                                             const char* const* arguments, ObjectRef* out) {
  VentriloInstance* instance = InstanceOf(value);
  if (!instance || !record)
    return false;
  switch (record->ID) {
    case kFind: {
      const char* query = FirstArgument(argumentCount, arguments);
      return query && AnswerElement(instance->Find(query), out);
    }
    case kMe:
      return AnswerElement(instance->GetMe(), out);
    case kSelection:
      return AnswerElement(instance->GetSelection(), out);
    case kNextInstance:
      return AnswerElement(instance->GetNextInstance(), out);
    case kPreviousInstance:
      return AnswerElement(instance->GetPreviousInstance(), out);
    default:
      return false;
  }
}

bool VentriloInstanceType::ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) {
  VentriloInstance* instance = InstanceOf(value);
  if (!instance)
    return false;
  // Printed unsigned, as the ID member reads.
  char text[16];
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(instance->GetID()));
  return CopyText(text, buffer, bufferSize);
}
