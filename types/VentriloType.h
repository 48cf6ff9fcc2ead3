// "ventrilo": the type of the top-level object "Ventrilo". Its objects carry no
// state (the value word is always 1). It leads to the oldest client instance
// and switches the console echo of events.
#pragma once

#include "types/VentriloScriptType.h"

class VentriloType : public VentriloScriptType {
 public:
  VentriloType();

  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount, const char* const* arguments,
                         ObjectRef* out) override;
  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                          const char* const* arguments) override;
  bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) override;

  // The value word of the "Ventrilo" object.
  static constexpr std::uintptr_t kObjectValue = 1;
};
