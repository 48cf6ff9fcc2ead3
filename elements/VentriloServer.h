#pragma once

#include "elements/VentriloElement.h"

class IServer;

// The element of the server, the root item of the client's tree. It never changes parent.
// Made by VentriloInstance::ApplySnapshot the first time its item key is seen.
class VentriloServer : public VentriloElement {
 public:
  // Copies the item's attributes (raising a change event for each that differs
  // from the empty start) and raises "Ventrilo.OnJoinedInstance", while the
  // element names its parent but is not yet among its children: the creator
  // links it with AddChild.
  VentriloServer(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IServer* item,
                 std::uint32_t pass);

  int RaiseLeavingInstance() override;
  QSTypeDefinition* GetScriptType() const override;
  const char* GetTypeName() const override { return "Server"; }
  VentriloInstance* AsInstance() override { return nullptr; }
  VentriloChannel* AsChannel() override { return nullptr; }
  VentriloServer* AsServer() override { return this; }
  VentriloUser* AsUser() override { return nullptr; }

 protected:
  const char* GetScriptTypeName() const override { return "ventriloserver"; }
};
