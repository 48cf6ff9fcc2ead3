#pragma once

#include "elements/VentriloElement.h"

class IUser;

// The element of a user; users have no children.
// Made by VentriloInstance::ApplySnapshot the first time its item key is seen.
class VentriloUser : public VentriloElement {
 public:
  // Copies the item's attributes (raising a change event for each that differs
  // from the empty start) and raises "Ventrilo.OnJoinedInstance", while the
  // element names its parent but is not yet among its children: the creator
  // links it with AddChild.
  VentriloUser(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IUser* item, std::uint32_t pass);

  int RaiseLeavingInstance() override;
  QSTypeDefinition* GetScriptType() const override;
  const char* GetTypeName() const override { return "User"; }
  VentriloInstance* AsInstance() override { return nullptr; }
  VentriloChannel* AsChannel() override { return nullptr; }
  VentriloServer* AsServer() override { return nullptr; }
  VentriloUser* AsUser() override { return this; }

 protected:
  const char* GetScriptTypeName() const override { return "ventrilouser"; }
};
