// "ventriloelement": what every element offers scripts (identity, tree
// navigation, the attributes read from the client, the flag tests, metadata
// and selection). No element has it as its own type; the four element types
// reach it as their parent type.
#pragma once

#include "types/VentriloScriptType.h"

class VentriloElementType : public VentriloScriptType {
 public:
  VentriloElementType();

  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount, const char* const* arguments,
                         ObjectRef* out) override;
  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                          const char* const* arguments) override;
  bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) override;
};
