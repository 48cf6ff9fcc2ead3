#include "host/lua/BuiltinType.h"

#include <cstdio>

namespace {

const char* NameOf(BuiltinType::Kind kind) {
  switch (kind) {
    case BuiltinType::Kind::String:
      return "string";
    case BuiltinType::Kind::UInt:
      return "uint";
    case BuiltinType::Kind::Bool:
      return "bool";
  }
  return "";
}

}  // namespace

BuiltinType::BuiltinType(Kind kind) : QSTypeDefinition(NameOf(kind)), kind_(kind) {}

bool BuiltinType::ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) {
    return false;
  }
  switch (kind_) {
    case Kind::String:
      std::snprintf(buffer, bufferSize, "%s", value ? reinterpret_cast<const char*>(value) : "");
      break;
    case Kind::UInt:
      std::snprintf(buffer, bufferSize, "%u", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
      break;
    case Kind::Bool:
      std::snprintf(buffer, bufferSize, "%s", value ? "true" : "false");
      break;
  }
  return true;
}
