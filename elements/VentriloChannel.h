#pragma once

#include "elements/VentriloElement.h"

class IChannel;

// The element of a channel; its children are its users and sub-channels. Join() (inherited) makes the client join it.
// Made by VentriloInstance::ApplySnapshot the first time its item key is seen.
class VentriloChannel : public VentriloElement {
 public:
  // Copies the item's attributes (raising a change event for each that differs
  // from the empty start) and raises "Ventrilo.OnJoinedInstance", while the
  // element names its parent but is not yet among its children: the creator
  // links it with AddChild.
  VentriloChannel(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, IChannel* item,
                  std::uint32_t pass);

  int RaiseLeavingInstance() override;
  QSTypeDefinition* GetScriptType() const override;
  const char* GetTypeName() const override { return "Channel"; }
  VentriloInstance* AsInstance() override { return nullptr; }
  VentriloChannel* AsChannel() override { return this; }
  VentriloServer* AsServer() override { return nullptr; }
  VentriloUser* AsUser() override { return nullptr; }

 protected:
  const char* GetScriptTypeName() const override { return "ventrilochannel"; }
};
