// The base of every script type: its name, its registered members and methods,
// its parent type, the dispatch from a name to a registration record, and the
// defaults for every other operation the host calls.
#pragma once

#include "hostsdk/CIndex.h"
#include "hostsdk/QSTypeMember.h"
#include "module/ScriptHost.h"

#include <cstdint>
#include <map>
#include <string>

class QSTypeDefinition {
 public:
  explicit QSTypeDefinition(const char* name);
  virtual ~QSTypeDefinition();

  QSTypeDefinition(const QSTypeDefinition&) = delete;
  QSTypeDefinition& operator=(const QSTypeDefinition&) = delete;

  // Slots in the order the host expects them.
  virtual bool ParseValue(std::uintptr_t* value, const char* text);
  virtual bool ParseValueAlt(std::uintptr_t* value, const char* text);
  virtual bool ParseArgs(std::uintptr_t* value, int argumentCount, const char* const* arguments);
  virtual bool InitValue(std::uintptr_t* value, const char* text);
  virtual std::uintptr_t* ClearValue(std::uintptr_t* value);
  virtual void ReleaseValue(std::uintptr_t value);
  virtual bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount,
                                 const char* const* arguments, ObjectRef* out);
  virtual bool GetMemberByName(std::uintptr_t value, const char* name, int argumentCount,
                               const char* const* arguments, ObjectRef* out);
  virtual bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                                  const char* const* arguments);
  virtual bool CallMethodByName(std::uintptr_t& value, const char* name, int argumentCount,
                                const char* const* arguments);
  virtual int AuxOperation(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d);
  // 1 done, 0 failed, otherwise what UnknownMember answers (-1 by default).
  virtual int GetMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                        ObjectRef* out);
  virtual int CallMethod(std::uintptr_t& value, const char* name, int argumentCount,
                         const char* const* arguments);
  virtual int AuxDefault(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d);
  virtual int UnknownMember(std::uintptr_t value, const char* name, int argumentCount,
                            const char* const* arguments, ObjectRef* out);
  virtual int UnknownMethod(std::uintptr_t& value, const char* name, int argumentCount,
                            const char* const* arguments);
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
