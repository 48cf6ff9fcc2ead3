/*
** The module's boundary as a host built with Microsoft's compiler sees it,
** written out in C: every interface is a table of function pointers whose
** entries are numbered by slot, the way the host's compiler lays out a class
** with virtual functions (one entry per virtual function in declaration order,
** base first, one entry for a virtual destructor). Nothing here comes from the
** module's C++ headers, so a layout mistake there cannot hide in here too.
**
** Calling conventions: on i686 a member function is __thiscall (this in ECX,
** the callee pops its arguments); a variadic one is __cdecl with this as the
** first argument; plain functions (the exports, the resolver, the member and
** method callbacks) are __cdecl. On x86-64 there is one convention. bool is one
** byte, returned in AL.
*/
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(__i386__)
#define QS_MEMBER __attribute__((thiscall))
#else
#define QS_MEMBER
#endif

/* Slot n (counted from 1) of a table sits n - 1 pointers from its start. */
#define QS_SLOT(table, entry, n) \
  _Static_assert(offsetof(table, entry) == ((n)-1) * sizeof(void*), #entry " is slot " #n)

typedef struct QSType QSType;
typedef struct ScriptHost ScriptHost;

/* Two words: the type, then the value word. */
typedef struct ObjectRef {
  QSType* Type;
  uintptr_t Data;
} ObjectRef;
_Static_assert(sizeof(ObjectRef) == 2 * sizeof(void*), "ObjectRef is two words");

typedef bool (*QSMemberCallback)(uintptr_t value, int count, const char* const* arguments, ObjectRef* out);
typedef bool (*QSMethodCallback)(uintptr_t value, int count, const char* const* arguments);
typedef bool (*GlobalObjectResolver)(int count, const char* const* arguments, ObjectRef* out);

/* One registered member or method. */
typedef struct QSTypeMember {
  uint32_t ID;
  char* Name;
  void (*Callback)(void);
  struct QSTypeMember* Previous;
  struct QSTypeMember* Next;
} QSTypeMember;

/* The script type base: 29 slots, and a 30th that the types with a parent add. */
typedef struct QSTypeTable {
  void*(QS_MEMBER* DeletingDestructor)(QSType* self, unsigned flags);
  bool(QS_MEMBER* ParseValue)(QSType* self, uintptr_t* value, const char* text);
  bool(QS_MEMBER* ParseValueAlt)(QSType* self, uintptr_t* value, const char* text);
  bool(QS_MEMBER* ParseArgs)(QSType* self, uintptr_t* value, int count, const char* const* arguments);
  bool(QS_MEMBER* InitValue)(QSType* self, uintptr_t* value, const char* text);
  uintptr_t*(QS_MEMBER* ClearValue)(QSType* self, uintptr_t* value);
  void(QS_MEMBER* ReleaseValue)(QSType* self, uintptr_t value);
  bool(QS_MEMBER* GetMemberByRecord)(QSType* self, uintptr_t value, QSTypeMember* record, int count,
                                     const char* const* arguments, ObjectRef* out);
  bool(QS_MEMBER* GetMemberByName)(QSType* self, uintptr_t value, const char* name, int count,
                                   const char* const* arguments, ObjectRef* out);
  bool(QS_MEMBER* CallMethodByRecord)(QSType* self, uintptr_t* value, QSTypeMember* record, int count,
                                      const char* const* arguments);
  bool(QS_MEMBER* CallMethodByName)(QSType* self, uintptr_t* value, const char* name, int count,
                                    const char* const* arguments);
  int(QS_MEMBER* AuxOperation)(QSType* self, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d);
  int(QS_MEMBER* GetMember)(QSType* self, uintptr_t value, const char* name, int count, const char* const* arguments,
                            ObjectRef* out);
  int(QS_MEMBER* CallMethod)(QSType* self, uintptr_t* value, const char* name, int count, const char* const* arguments);
  int(QS_MEMBER* AuxDefault)(QSType* self, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d);
  int(QS_MEMBER* UnknownMember)(QSType* self, uintptr_t value, const char* name, int count,
                                const char* const* arguments, ObjectRef* out);
  int(QS_MEMBER* UnknownMethod)(QSType* self, uintptr_t* value, const char* name, int count,
                                const char* const* arguments);
  bool(QS_MEMBER* ToTextShort)(QSType* self, uintptr_t value, char* buffer);
  bool(QS_MEMBER* ToText)(QSType* self, uintptr_t value, char* buffer, uint32_t size);
  bool(QS_MEMBER* ToTextBase)(QSType* self, uintptr_t value, char* buffer);
  bool(QS_MEMBER* InheritsMember)(QSType* self, const char* name);
  bool(QS_MEMBER* InheritsMethod)(QSType* self, const char* name);
  QSType*(QS_MEMBER* ValueType)(QSType* self);
  bool(QS_MEMBER* AddMemberAuto)(QSType* self, const char* name, QSMemberCallback callback);
  bool(QS_MEMBER* AddMember)(QSType* self, uint32_t id, const char* name, QSMemberCallback callback);
  bool(QS_MEMBER* RemoveMember)(QSType* self, const char* name, QSMemberCallback callback);
  bool(QS_MEMBER* AddMethodAuto)(QSType* self, const char* name, QSMethodCallback callback);
  bool(QS_MEMBER* AddMethod)(QSType* self, uint32_t id, const char* name, QSMethodCallback callback);
  bool(QS_MEMBER* RemoveMethod)(QSType* self, const char* name, QSMethodCallback callback);
  int(QS_MEMBER* InheritedAuxOperation)(QSType* self, uintptr_t* value, uintptr_t b, uintptr_t c, uintptr_t d);
} QSTypeTable;
QS_SLOT(QSTypeTable, DeletingDestructor, 1);
QS_SLOT(QSTypeTable, ParseValue, 2);
QS_SLOT(QSTypeTable, ParseValueAlt, 3);
QS_SLOT(QSTypeTable, ParseArgs, 4);
QS_SLOT(QSTypeTable, InitValue, 5);
QS_SLOT(QSTypeTable, ClearValue, 6);
QS_SLOT(QSTypeTable, ReleaseValue, 7);
QS_SLOT(QSTypeTable, GetMemberByRecord, 8);
QS_SLOT(QSTypeTable, GetMemberByName, 9);
QS_SLOT(QSTypeTable, CallMethodByRecord, 10);
QS_SLOT(QSTypeTable, CallMethodByName, 11);
QS_SLOT(QSTypeTable, AuxOperation, 12);
QS_SLOT(QSTypeTable, GetMember, 13);
QS_SLOT(QSTypeTable, CallMethod, 14);
QS_SLOT(QSTypeTable, AuxDefault, 15);
QS_SLOT(QSTypeTable, UnknownMember, 16);
QS_SLOT(QSTypeTable, UnknownMethod, 17);
QS_SLOT(QSTypeTable, ToTextShort, 18);
QS_SLOT(QSTypeTable, ToText, 19);
QS_SLOT(QSTypeTable, ToTextBase, 20);
QS_SLOT(QSTypeTable, InheritsMember, 21);
QS_SLOT(QSTypeTable, InheritsMethod, 22);
QS_SLOT(QSTypeTable, ValueType, 23);
QS_SLOT(QSTypeTable, AddMemberAuto, 24);
QS_SLOT(QSTypeTable, AddMember, 25);
QS_SLOT(QSTypeTable, RemoveMember, 26);
QS_SLOT(QSTypeTable, AddMethodAuto, 27);
QS_SLOT(QSTypeTable, AddMethod, 28);
QS_SLOT(QSTypeTable, RemoveMethod, 29);
QS_SLOT(QSTypeTable, InheritedAuxOperation, 30);

/* A type object: its table, then its first field, the name (32 bytes). */
struct QSType {
  const QSTypeTable* table;
  char Name[32];
};

/* The module object: five slots, no destructor. */
typedef struct QSModule QSModule;
typedef struct QSModuleTable {
  int(QS_MEMBER* GetVersion)(QSModule* self);
  bool(QS_MEMBER* Initialize)(QSModule* self, ScriptHost* host);
  void(QS_MEMBER* Shutdown)(QSModule* self);
  void(QS_MEMBER* Pulse)(QSModule* self);
  void(QS_MEMBER* Spare)(QSModule* self);
} QSModuleTable;
QS_SLOT(QSModuleTable, GetVersion, 1);
QS_SLOT(QSModuleTable, Initialize, 2);
QS_SLOT(QSModuleTable, Shutdown, 3);
QS_SLOT(QSModuleTable, Pulse, 4);
QS_SLOT(QSModuleTable, Spare, 5);
struct QSModule {
  const QSModuleTable* table;
};

/* The host's interface object as the module calls it, in slot order. */
typedef struct ScriptHostTable ScriptHostTable;
struct ScriptHost {
  const ScriptHostTable* table;
};
struct ScriptHostTable {
  bool(QS_MEMBER* BindGlobalObject)(ScriptHost* self, const char* name, GlobalObjectResolver resolver);
  bool(QS_MEMBER* UnbindGlobalObject)(ScriptHost* self, const char* name);
  bool(QS_MEMBER* InstallType)(ScriptHost* self, QSType* type);
  bool(QS_MEMBER* UninstallType)(ScriptHost* self, QSType* type);
  QSType*(QS_MEMBER* LookupType)(ScriptHost* self, const char* name, int reserved1, int reserved2);
  int(QS_MEMBER* DeclareEvent)(ScriptHost* self, const char* name);
  int(QS_MEMBER* FireEvent)(ScriptHost* self, int id, int reserved, int count, const char* const* arguments,
                            ObjectRef* context);
  void (*ConsoleWrite)(ScriptHost* self, const char* format, ...);
  uintptr_t(QS_MEMBER* ParseFilter)(ScriptHost* self, const char* query);
  bool(QS_MEMBER* MatchFilter)(ScriptHost* self, uintptr_t filter, ObjectRef* object, unsigned char* matched);
  void(QS_MEMBER* ReleaseFilter)(ScriptHost* self, uintptr_t filter);
};
QS_SLOT(ScriptHostTable, BindGlobalObject, 1);
QS_SLOT(ScriptHostTable, UnbindGlobalObject, 2);
QS_SLOT(ScriptHostTable, InstallType, 3);
QS_SLOT(ScriptHostTable, UninstallType, 4);
QS_SLOT(ScriptHostTable, LookupType, 5);
QS_SLOT(ScriptHostTable, DeclareEvent, 6);
QS_SLOT(ScriptHostTable, FireEvent, 7);
QS_SLOT(ScriptHostTable, ConsoleWrite, 8);
QS_SLOT(ScriptHostTable, ParseFilter, 9);
QS_SLOT(ScriptHostTable, MatchFilter, 10);
QS_SLOT(ScriptHostTable, ReleaseFilter, 11);

/* The exports, undecorated: the factory, __cdecl, and the interface version. */
typedef QSModule* (*CreateQSModuleInterfaceFunc)(int version);
#define QS_INTERFACE_VERSION 23
