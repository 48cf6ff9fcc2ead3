// "ventrilouser": a user element. Registers nothing; everything comes from
// "ventriloelement".
#pragma once

#include "types/VentriloInheritingType.h"

class VentriloUserType : public VentriloInheritingType {
 public:
  VentriloUserType() : VentriloInheritingType("ventrilouser") {}
};
