// A script type for the host's tests, shaped like a module's element type: its
// objects are ids of things it keeps (an id it does not know is a thing that
// is gone, so every member fails), with ID and Type ("Thing") as elements have
// them, members of each built-in result type,
// an object member, members that take arguments, a failing member, methods,
// and "base" as its parent type.
#pragma once

#include "hostsdk/QSTypeDefinition.h"

#include <map>
#include <string>
#include <vector>

class ThingType : public QSTypeDefinition {
 public:
  struct Thing {
    std::string name;
    std::uint32_t count = 0;
    bool flag = false;
    std::uintptr_t next = 0;
    std::map<std::string, std::string> metadata;
  };

  // `host` compiles the queries of Find; the built-in types come from it too.
  ThingType(ScriptHost* host, QSTypeDefinition* parent);

  bool GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount, const char* const* arguments,
                         ObjectRef* out) override;
  bool CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                          const char* const* arguments) override;
  bool ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) override;
  int UnknownMember(std::uintptr_t value, const char* name, int argumentCount, const char* const* arguments,
                    ObjectRef* out) override;
  int UnknownMethod(std::uintptr_t& value, const char* name, int argumentCount, const char* const* arguments) override;

  ObjectRef Ref(std::uintptr_t id) { return {this, id}; }

  std::map<std::uintptr_t, Thing> things;
  // The arguments of every Poke, in order.
  std::vector<std::vector<std::string>> pokes;

 private:
  bool Find(const char* query, ObjectRef* out);

  ScriptHost* host_;
  QSTypeDefinition* stringType_;
  QSTypeDefinition* uintType_;
  QSTypeDefinition* boolType_;
};
