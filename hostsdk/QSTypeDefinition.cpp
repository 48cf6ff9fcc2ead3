#include "hostsdk/QSTypeDefinition.h"

#include <cstdio>
#include <cstring>
#include <new>

// The member side and the method side keep the same bookkeeping: a slot index
// whose used slots hold the head of one name's chain of records, a map from
// name to slot number plus 1, and the next free id. Side is a view over one of
// them, so both sides share one implementation.
namespace {

_QSTypeMember* ChainHead(const CIndex<_QSTypeMember*>& index, const std::map<std::string, std::uint32_t>& names,
                         const char* name) {
  if (!name)
    return nullptr;
  const auto found = names.find(name);
  if (found == names.end() || found->second == 0)
    return nullptr;
  return index.Get(found->second - 1);
}

}  // namespace

struct QSTypeDefinition::Side {
  CIndex<_QSTypeMember*>& index;
  std::map<std::string, std::uint32_t>& names;
  std::uint32_t& nextId;

  _QSTypeMember* Head(const char* name) const { return ChainHead(index, names, name); }

  std::uint32_t AutoID(const char* name) const {
    if (const _QSTypeMember* head = Head(name))
      return head->ID;
    return nextId++;
  }

  bool Add(std::uint32_t id, const char* name, QSCallback callback) {
    if (!name)
      return false;
    if (id >= nextId)
      nextId = id + 1;
    std::uint32_t& slotPlusOne = names[name];
    if (slotPlusOne != 0) {
      for (const _QSTypeMember* record = index.Get(slotPlusOne - 1); record; record = record->Next) {
        if (record->Callback == callback)
          return false;
      }
    } else {
      const std::uint32_t slot = index.GetFreeSlot();
      if (slot == CIndex<_QSTypeMember*>::kNoSlot) {
        names.erase(name);
        return false;
      }
      slotPlusOne = slot + 1;
    }
    const std::uint32_t slot = slotPlusOne - 1;
    _QSTypeMember* head = index.Get(slot);
    const std::size_t length = std::strlen(name);
    auto* record = new _QSTypeMember{id, new char[length + 1], callback, nullptr, head};
    std::memcpy(record->Name, name, length + 1);
    if (head)
      head->Previous = record;
    index.Set(slot, record);
    return true;
  }

  bool Remove(const char* name, QSCallback callback) {
    if (!name)
      return false;
    const auto found = names.find(name);
    if (found == names.end() || found->second == 0)
      return false;
    const std::uint32_t slot = found->second - 1;
    _QSTypeMember* record = index.Get(slot);
    while (record && record->Callback != callback)
      record = record->Next;
    if (!record)
      return false;
    if (record->Previous)
      record->Previous->Next = record->Next;
    else
      index.Set(slot, record->Next);
    if (record->Next)
      record->Next->Previous = record->Previous;
    if (!index.Get(slot))
      names.erase(found);
    Free(record);
    return true;
  }

  void Clear() {
    for (std::uint32_t slot = 0; slot < index.GetCapacity(); ++slot) {
      _QSTypeMember* record = index.Get(slot);
      while (record) {
        _QSTypeMember* next = record->Next;
        Free(record);
        record = next;
      }
      index.Set(slot, nullptr);
    }
    names.clear();
  }

  static void Free(_QSTypeMember* record) {
    delete[] record->Name;
    delete record;
  }
};

QSTypeDefinition::QSTypeDefinition(const char* name) { std::snprintf(name_, sizeof name_, "%s", name ? name : ""); }

QSTypeDefinition::~QSTypeDefinition() {
  Members().Clear();
  Methods().Clear();
}

void* QSTypeDefinition::DeletingDestructor(unsigned flags) {
  this->~QSTypeDefinition();
  return FreeDestroyed(this, flags);
}

void* QSTypeDefinition::FreeDestroyed(void* object, unsigned flags) {
  if (flags & kFreeMemory)
    ::operator delete(object);
  return object;
}

bool QSTypeDefinition::ParseValue(std::uintptr_t*, const char*) { return false; }

bool QSTypeDefinition::ParseValueAlt(std::uintptr_t* value, const char* text) { return ParseValue(value, text); }

// The joined text is cut at the buffer's end rather than overrun: arguments
// come from scripts and their total length is not bounded.
bool QSTypeDefinition::ParseArgs(std::uintptr_t* value, int argumentCount, const char* const* arguments) {
  char text[2048];
  std::size_t used = 0;
  text[0] = '\0';
  for (int i = 0; i < argumentCount && arguments; ++i) {
    const int written =
        std::snprintf(text + used, sizeof text - used, i == 0 ? "%s" : " %s", arguments[i] ? arguments[i] : "");
    if (written < 0)
      break;
    used += static_cast<std::size_t>(written);
    if (used >= sizeof text - 1)
      break;
  }
  return ParseValueAlt(value, text);
}

bool QSTypeDefinition::InitValue(std::uintptr_t* value, const char* text) {
  if (text && *text)
    return false;
  ClearValue(value);
  return true;
}

std::uintptr_t* QSTypeDefinition::ClearValue(std::uintptr_t* value) {
  if (value)
    *value = 0;
  return value;
}

void QSTypeDefinition::ReleaseValue(std::uintptr_t) {}

bool QSTypeDefinition::GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount,
                                         const char* const* arguments, ObjectRef* out) {
  return record && GetMemberByName(value, record->Name, argumentCount, arguments, out);
}

bool QSTypeDefinition::GetMemberByName(std::uintptr_t, const char*, int, const char* const*, ObjectRef*) {
  return false;
}

bool QSTypeDefinition::CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                                          const char* const* arguments) {
  return record && CallMethodByName(value, record->Name, argumentCount, arguments);
}

bool QSTypeDefinition::CallMethodByName(std::uintptr_t&, const char*, int, const char* const*) { return false; }

int QSTypeDefinition::AuxOperation(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d) {
  return AuxDefault(a, b, c, d);
}

int QSTypeDefinition::GetMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                                ObjectRef* out) {
  _QSTypeMember* head = FindMemberRecord(name);
  if (!head)
    return UnknownMember(value, name, argumentCount, arguments, out);
  if (head->Callback)
    return reinterpret_cast<QSMemberCallback>(head->Callback)(value, argumentCount, arguments, out) ? 1 : 0;
  return GetMemberByRecord(value, head, argumentCount, arguments, out) ? 1 : 0;
}

int QSTypeDefinition::CallMethod(std::uintptr_t& value, const char* name, int argumentCount,
                                 const char* const* arguments) {
  _QSTypeMember* head = FindMethodRecord(name);
  if (!head)
    return UnknownMethod(value, name, argumentCount, arguments);
  if (head->Callback)
    return reinterpret_cast<QSMethodCallback>(head->Callback)(value, argumentCount, arguments) ? 1 : 0;
  return CallMethodByRecord(value, head, argumentCount, arguments) ? 1 : 0;
}

int QSTypeDefinition::AuxDefault(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) { return -1; }

int QSTypeDefinition::UnknownMember(std::uintptr_t, const char*, int, const char* const*, ObjectRef*) { return -1; }

int QSTypeDefinition::UnknownMethod(std::uintptr_t&, const char*, int, const char* const*) { return -1; }

bool QSTypeDefinition::ToTextShort(std::uintptr_t value, char* buffer) { return ToTextBase(value, buffer); }

bool QSTypeDefinition::ToText(std::uintptr_t value, char* buffer, std::uint32_t) { return ToTextShort(value, buffer); }

bool QSTypeDefinition::ToTextBase(std::uintptr_t, char*) { return false; }

bool QSTypeDefinition::InheritsMember(const char* name) {
  if (!parent_)
    return false;
  return parent_->FindMemberRecord(name) || parent_->InheritsMember(name);
}

bool QSTypeDefinition::InheritsMethod(const char* name) {
  if (!parent_)
    return false;
  return parent_->FindMethodRecord(name) || parent_->InheritsMethod(name);
}

QSTypeDefinition* QSTypeDefinition::ValueType() { return this; }

bool QSTypeDefinition::AddMemberAuto(const char* name, QSMemberCallback callback) {
  return AddMember(Members().AutoID(name), name, callback);
}

bool QSTypeDefinition::AddMember(std::uint32_t id, const char* name, QSMemberCallback callback) {
  return Members().Add(id, name, reinterpret_cast<QSCallback>(callback));
}

bool QSTypeDefinition::RemoveMember(const char* name, QSMemberCallback callback) {
  return Members().Remove(name, reinterpret_cast<QSCallback>(callback));
}

bool QSTypeDefinition::AddMethodAuto(const char* name, QSMethodCallback callback) {
  return AddMethod(Methods().AutoID(name), name, callback);
}

bool QSTypeDefinition::AddMethod(std::uint32_t id, const char* name, QSMethodCallback callback) {
  return Methods().Add(id, name, reinterpret_cast<QSCallback>(callback));
}

bool QSTypeDefinition::RemoveMethod(const char* name, QSMethodCallback callback) {
  return Methods().Remove(name, reinterpret_cast<QSCallback>(callback));
}

_QSTypeMember* QSTypeDefinition::FindMemberRecord(const char* name) const {
  return ChainHead(memberIndex_, memberNames_, name);
}

_QSTypeMember* QSTypeDefinition::FindMethodRecord(const char* name) const {
  return ChainHead(methodIndex_, methodNames_, name);
}

QSTypeDefinition::Side QSTypeDefinition::Members() { return Side{memberIndex_, memberNames_, nextMemberId_}; }

QSTypeDefinition::Side QSTypeDefinition::Methods() { return Side{methodIndex_, methodNames_, nextMethodId_}; }
