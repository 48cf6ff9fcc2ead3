// One registered member or method of a script type. Records that share a name
// form a doubly linked chain whose head is the newest registration.
#pragma once

#include "hostsdk/ScriptHost.h"

#include <cstdint>

// The callbacks a registration may carry. The module calls them as plain C
// functions, __cdecl on i686 (the default of both compilers), whoever
// registered them; the bool comes back in AL.
typedef bool (*QSMemberCallback)(std::uintptr_t value, int argumentCount, const char* const* arguments, ObjectRef* out);
typedef bool (*QSMethodCallback)(std::uintptr_t value, int argumentCount, const char* const* arguments);
// Either kind of callback, as the record stores it.
typedef void (*QSCallback)();

// A host built against the same base reads records through GetMemberByRecord
// and CallMethodByRecord: five words in this order, no padding but after ID on
// x86-64.
struct _QSTypeMember {
  std::uint32_t ID;
  char* Name;
  QSCallback Callback;
  _QSTypeMember* Previous;
  _QSTypeMember* Next;
};
