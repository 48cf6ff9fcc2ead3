// A parent type for the host's tests: one member "Base" (the text "base") and
// one method "Ping" (true), so names can be looked up through a chain.
#pragma once

#include "hostsdk/QSTypeDefinition.h"

class BaseType : public QSTypeDefinition {
 public:
  explicit BaseType(QSTypeDefinition* stringType);

  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount, const char* const* arguments,
                         ObjectRef* out) override;
  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                          const char* const* arguments) override;

  int pings = 0;

 private:
  QSTypeDefinition* stringType_;
};
