#include "tests/host/ThingType.h"

#include <cstdio>

namespace {

enum Member { kID, kType, kName, kCount, kFlag, kNext, kFind, kGetMetadata, kFails };
enum Method { kPoke, kRefuse, kSetMetadata };

}  // namespace

ThingType::ThingType(ScriptHost* host, QSTypeDefinition* parent)
    : QSTypeDefinition("thing"),
      host_(host),
      stringType_(host->LookupType("string", 0, 0)),
      uintType_(host->LookupType("uint", 0, 0)),
      boolType_(host->LookupType("bool", 0, 0)) {
  AddMember(kID, "ID", nullptr);
  AddMember(kType, "Type", nullptr);
  AddMember(kName, "Name", nullptr);
  AddMember(kCount, "Count", nullptr);
  AddMember(kFlag, "Flag", nullptr);
  AddMember(kNext, "Next", nullptr);
  AddMember(kFind, "Find", nullptr);
  AddMember(kGetMetadata, "GetMetadata", nullptr);
  AddMember(kFails, "Fails", nullptr);
  AddMethod(kPoke, "Poke", nullptr);
  AddMethod(kRefuse, "Refuse", nullptr);
  AddMethod(kSetMetadata, "SetMetadata", nullptr);
  SetInheritance(parent);
}

bool ThingType::GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount,
                                  const char* const* arguments, ObjectRef* out) {
  auto found = things.find(value);
  if (found == things.end()) {
    return false;
  }
  Thing& thing = found->second;
  switch (record->ID) {
    case kID:
      *out = {uintType_, value};
      return true;
    case kType:
      *out = {stringType_, reinterpret_cast<std::uintptr_t>("Thing")};
      return true;
    case kName:
      *out = {stringType_, reinterpret_cast<std::uintptr_t>(thing.name.c_str())};
      return true;
    case kCount:
      *out = {uintType_, thing.count};
      return true;
    case kFlag:
      *out = {boolType_, thing.flag ? 0x40u : 0u};
      return true;
    case kNext:
      if (thing.next == 0) {
        return false;
      }
      *out = Ref(thing.next);
      return true;
    case kFind:
      return argumentCount > 0 && Find(arguments[0], out);
    case kGetMetadata: {
      if (argumentCount < 1) {
        return false;
      }
      auto entry = thing.metadata.find(arguments[0]);
      if (entry == thing.metadata.end()) {
        return false;
      }
      *out = {stringType_, reinterpret_cast<std::uintptr_t>(entry->second.c_str())};
      return true;
    }
    default:
      return false;
  }
}

bool ThingType::CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                                   const char* const* arguments) {
  auto found = things.find(value);
  if (found == things.end()) {
    return false;
  }
  switch (record->ID) {
    case kPoke:
      pokes.emplace_back(arguments, arguments + argumentCount);
      return true;
    case kSetMetadata:
      if (argumentCount < 2) {
        return false;
      }
      found->second.metadata[arguments[0]] = arguments[1];
      return true;
    default:
      return false;
  }
}

bool ThingType::ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) {
  auto found = things.find(value);
  if (found == things.end()) {
    return false;
  }
  std::snprintf(buffer, bufferSize, "%s", found->second.name.c_str());
  return true;
}

int ThingType::UnknownMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                             ObjectRef* out) {
  return GetInheritance()->GetMember(value, name, argumentCount, arguments, out);
}

int ThingType::UnknownMethod(std::uintptr_t& value, const char* name, int argumentCount, const char* const* arguments) {
  return GetInheritance()->CallMethod(value, name, argumentCount, arguments);
}

// The first thing, in id order, that the host's query matches.
bool ThingType::Find(const char* query, ObjectRef* out) {
  FilterHandle filter = host_->ParseFilter(query);
  if (filter == 0) {
    return false;
  }
  bool found = false;
  for (auto& [id, thing] : things) {
    ObjectRef candidate = Ref(id);
    unsigned char matched = 0;
    if (host_->MatchFilter(filter, &candidate, &matched) && matched) {
      *out = candidate;
      found = true;
      break;
    }
  }
  host_->ReleaseFilter(filter);
  return found;
}
