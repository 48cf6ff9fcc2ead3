// The base of the four element types that have a parent type ("ventriloinstance",
// "ventrilochannel", "ventriloserver", "ventrilouser"). A member or method name
// that a type does not register itself is handed, with the same object, to its
// parent type's by-name dispatch, and so on up the chain to "ventriloelement":
// a server object's Name is looked up in "ventriloserver", then "ventrilochannel",
// then "ventriloelement". Without a parent the name stays unknown (-1).
#pragma once

#include "types/VentriloScriptType.h"

class VentriloInheritingType : public VentriloScriptType {
 public:
  int UnknownMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                    ObjectRef* out) override;
  int UnknownMethod(std::uintptr_t& value, const char* name, int argumentCount, const char* const* arguments) override;
  // The slot after the base's last one: the parent type's AuxOperation for the
  // referenced value word and the three further words.
  virtual int InheritedAuxOperation(std::uintptr_t& value, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d);

  // A type without members or methods of its own answers nothing by record.
  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount, const char* const* arguments,
                         ObjectRef* out) override;
  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                          const char* const* arguments) override;
  // An element object converts to its element's name.
  bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) override;

 protected:
  explicit VentriloInheritingType(const char* name) : VentriloScriptType(name) {}
};
