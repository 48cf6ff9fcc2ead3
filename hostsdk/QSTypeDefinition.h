// The base of every script type: its name, its registered members and methods,
// its parent type, the dispatch from a name to a registration record, and the
// defaults for every other operation the host calls.
//
// Layout across the host boundary: the host is built with Microsoft's compiler
// and calls these operations through the virtual table by slot, so the table
// holds exactly the virtual operations below, in declaration order, on i686 and
// x86-64 alike. Slot 1 is DeletingDestructor, the one entry that Microsoft's
// compiler gives a virtual destructor (it takes a flags word). A C++ virtual
// destructor would get two entries from GCC (complete and deleting) and shift
// every later slot by one, so the C++ destructor is protected and not virtual.
// No virtual operation is overloaded (Microsoft's compiler groups overloads in
// the table, GCC does not). On i686 every operation is __thiscall (this in ECX,
// callee pops the arguments), GCC's default for member functions there; bool
// results come back in AL, which both compilers read alone. Derived types add
// their own virtual operations after the last one here.
#pragma once

#include "hostsdk/CIndex.h"
#include "hostsdk/QSTypeMember.h"
#include "hostsdk/ScriptHost.h"

#include <cstdint>
#include <map>
#include <string>

class QSTypeDefinition {
 public:
  explicit QSTypeDefinition(const char* name);

  QSTypeDefinition(const QSTypeDefinition&) = delete;
  QSTypeDefinition& operator=(const QSTypeDefinition&) = delete;

  // DeletingDestructor's flag bit 0: free the memory once the object is
  // destroyed. Without it the object is only destroyed. (Bit 1, the array form
  // of Microsoft's compiler, is never passed for a single type object.)
  static constexpr unsigned kFreeMemory = 1;

  // Slots in the order the host expects them.
  // Slot 1: destroys the object, frees it when `flags` has kFreeMemory, and
  // returns its address. The host deletes a type through this slot and so does
  // the module. Here it destroys a plain QSTypeDefinition; a derived type made
  // with new is made as QSDeletableType<T>, which destroys the whole object.
  virtual void* DeletingDestructor(unsigned flags);
  virtual bool ParseValue(std::uintptr_t* value, const char* text);
  virtual bool ParseValueAlt(std::uintptr_t* value, const char* text);
  virtual bool ParseArgs(std::uintptr_t* value, int argumentCount, const char* const* arguments);
  virtual bool InitValue(std::uintptr_t* value, const char* text);
  virtual std::uintptr_t* ClearValue(std::uintptr_t* value);
  virtual void ReleaseValue(std::uintptr_t value);
  virtual bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount,
                                 const char* const* arguments, ObjectRef* out);
  virtual bool GetMemberByName(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                               ObjectRef* out);
  virtual bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                                  const char* const* arguments);
  virtual bool CallMethodByName(std::uintptr_t& value, const char* name, int argumentCount,
                                const char* const* arguments);
  virtual int AuxOperation(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d);
  // 1 done, 0 failed, otherwise what UnknownMember answers (-1 by default).
  virtual int GetMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                        ObjectRef* out);
  virtual int CallMethod(std::uintptr_t& value, const char* name, int argumentCount, const char* const* arguments);
  virtual int AuxDefault(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d);
  virtual int UnknownMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                            ObjectRef* out);
  virtual int UnknownMethod(std::uintptr_t& value, const char* name, int argumentCount, const char* const* arguments);
  virtual bool ToTextShort(std::uintptr_t value, char* buffer);
  virtual bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize);
  virtual bool ToTextBase(std::uintptr_t value, char* buffer);
  virtual bool InheritsMember(const char* name);
  virtual bool InheritsMethod(const char* name);
  virtual QSTypeDefinition* ValueType();
  virtual bool AddMemberAuto(const char* name, QSMemberCallback callback);
  virtual bool AddMember(std::uint32_t id, const char* name, QSMemberCallback callback);
  virtual bool RemoveMember(const char* name, QSMemberCallback callback);
  virtual bool AddMethodAuto(const char* name, QSMethodCallback callback);
  virtual bool AddMethod(std::uint32_t id, const char* name, QSMethodCallback callback);
  virtual bool RemoveMethod(const char* name, QSMethodCallback callback);

  void SetInheritance(QSTypeDefinition* parent) { parent_ = parent; }
  QSTypeDefinition* GetInheritance() const { return parent_; }
  _QSTypeMember* FindMemberRecord(const char* name) const;
  _QSTypeMember* FindMethodRecord(const char* name) const;
  const char* GetName() const { return name_; }
  std::uint32_t NextMemberID() const { return nextMemberId_; }
  std::uint32_t NextMethodID() const { return nextMethodId_; }

 protected:
  // Not virtual (see the top of this file): objects are deleted through
  // DeletingDestructor, never by a delete of a base pointer.
  ~QSTypeDefinition();

  // The end of every DeletingDestructor, once `object` is destroyed.
  static void* FreeDestroyed(void* object, unsigned flags);

 private:
  // Registration bookkeeping shared by the member and the method side.
  struct Side;
  Side Members();
  Side Methods();

  char name_[32];
  CIndex<_QSTypeMember*> memberIndex_;
  std::map<std::string, std::uint32_t> memberNames_;
  CIndex<_QSTypeMember*> methodIndex_;
  std::map<std::string, std::uint32_t> methodNames_;
  QSTypeDefinition* parent_ = nullptr;
  std::uint32_t nextMethodId_ = 1;
  std::uint32_t nextMemberId_ = 1;
};
