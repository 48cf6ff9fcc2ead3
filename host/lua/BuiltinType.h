// The host's built-in value types that modules use for member results:
// "string" (the value word points at a zero-terminated text owned by the
// module), "uint" (the low 32 bits of the word) and "bool" (nonzero is true).
// Scripts never see objects of these types: the host turns them into Lua
// strings, integers and booleans.
#pragma once

#include "hostsdk/QSTypeDefinition.h"

class BuiltinType : public QSTypeDefinition {
 public:
  enum class Kind { String, UInt, Bool };

  explicit BuiltinType(Kind kind);

  Kind GetKind() const { return kind_; }

  bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) override;

 private:
  Kind kind_;
};
