// "ventrilochannel": a channel element, and through "ventriloserver" the server
// element. Its one method, Join, selects the item in the client's tree and
// presses Enter on it, which makes the client join there.
#pragma once

#include "types/VentriloInheritingType.h"

class VentriloChannelType : public VentriloInheritingType {
 public:
  VentriloChannelType();

  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                          const char* const* arguments) override;
};
