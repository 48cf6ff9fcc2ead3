#include "types/VentriloInheritingType.h"

namespace {
constexpr int kUnknown = -1;
}

int VentriloInheritingType::UnknownMember(std::uintptr_t value, const char* name, int argumentCount,
                                          const char* const* arguments, ObjectRef* out) {
  QSTypeDefinition* parent = GetInheritance();
  return parent ? parent->GetMember(value, name, argumentCount, arguments, out) : kUnknown;
}

int VentriloInheritingType::UnknownMethod(std::uintptr_t& value, const char* name, int argumentCount,
                                          const char* const* arguments) {
  QSTypeDefinition* parent = GetInheritance();
  return parent ? parent->CallMethod(value, name, argumentCount, arguments) : kUnknown;
}

int VentriloInheritingType::InheritedAuxOperation(std::uintptr_t& value, std::uintptr_t b, std::uintptr_t c,
                                                  std::uintptr_t d) {
  QSTypeDefinition* parent = GetInheritance();
  return parent ? parent->AuxOperation(value, b, c, d) : AuxDefault(value, b, c, d);
}

bool VentriloInheritingType::GetMemberByRecord(std::uintptr_t, _QSTypeMember*, int, const char* const*, ObjectRef*) {
  return false;
}

bool VentriloInheritingType::CallMethodByRecord(std::uintptr_t&, _QSTypeMember*, int, const char* const*) {
  return false;
}

bool VentriloInheritingType::ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) {
  return NameToText(value, buffer, bufferSize);
}
