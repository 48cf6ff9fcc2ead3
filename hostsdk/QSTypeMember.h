// One registered member or method of a script type. Records that share a name
// form a doubly linked chain whose head is the newest registration.
#pragma once

#include "module/ScriptHost.h"

#include <cstdint>

typedef bool (*QSMemberCallback)(std::uintptr_t value, int argumentCount, const char* const* arguments,
                                 ObjectRef* out);
typedef bool (*QSMethodCallback)(std::uintptr_t value, int argumentCount, const char* const* arguments);
// Either kind of callback, as the record stores it.
typedef void (*QSCallback)();

struct _QSTypeMember {
  std::uint32_t ID;
  char* Name;
  QSCallback Callback;
  _QSTypeMember* Previous;
  _QSTypeMember* Next;
};
