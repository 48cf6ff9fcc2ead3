#include "tests/host/BaseType.h"

BaseType::BaseType(QSTypeDefinition* stringType) : QSTypeDefinition("base"), stringType_(stringType) {
  AddMember(0, "Base", nullptr);
  AddMethod(0, "Ping", nullptr);
}

bool BaseType::GetMemberByRecord(std::uintptr_t, _QSTypeMember* record, int, const char* const*, ObjectRef* out) {
  if (record->ID != 0)
    return false;
  *out = {stringType_, reinterpret_cast<std::uintptr_t>("base")};
  return true;
}

bool BaseType::CallMethodByRecord(std::uintptr_t&, _QSTypeMember* record, int, const char* const*) {
  ++pings;
  return record->ID == 0;
}
