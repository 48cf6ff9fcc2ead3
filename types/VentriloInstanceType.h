// "ventriloinstance": one running client instance. Adds the local user, the
// selection, the neighbours in the instance list and a query search over the
// instance's tree; everything else comes from "ventriloelement".
#pragma once

#include "types/VentriloInheritingType.h"

class VentriloInstance;

class VentriloInstanceType : public VentriloInheritingType {
 public:
  VentriloInstanceType();

  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount, const char* const* arguments,
                         ObjectRef* out) override;
  // An instance converts to its ID.
  bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) override;

 private:
  // The live instance element the value word names; null for any other element.
  static VentriloInstance* InstanceOf(std::uintptr_t value);
};
