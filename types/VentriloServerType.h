// "ventriloserver": the server element. Registers nothing; its parent type
// "ventrilochannel" gives it Join, and "ventriloelement" behind that the rest.
#pragma once

#include "types/VentriloInheritingType.h"

class VentriloServerType : public VentriloInheritingType {
 public:
  VentriloServerType() : VentriloInheritingType("ventriloserver") {}
};
