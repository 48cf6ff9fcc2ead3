#pragma once

#include <cstdint>

#include "libventrilo/IUserEnumerator.h"

class VentriloElement;
class VentriloInstance;

// Upserts each user that a server or channel item reports under the element
// made for that item. Built on the stack for one enumeration; owns nothing.
class UserEnumerator final : public IUserEnumerator {
 public:
  UserEnumerator(VentriloInstance* instance, VentriloElement* parent, std::uint32_t pass)
      : instance_(instance), parent_(parent), pass_(pass) {}

  // Always 0: every user is visited.
  int OnUser(const char* name, IUser* user) override;

 private:
  VentriloInstance* instance_;
  VentriloElement* parent_;
  std::uint32_t pass_;
};
