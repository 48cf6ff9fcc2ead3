#pragma once

#include <cstdint>

#include "elements/UserEnumerator.h"
#include "libventrilo/IChannelEnumerator.h"

class VentriloElement;
class VentriloInstance;

// Upserts each channel that a server or channel item reports under the element
// made for that item, then visits the channel's users and sub-channels, depth
// first. A channel whose key belongs to an element of another kind is skipped
// with its subtree for this pass. Built on the stack; owns nothing.
class ChannelEnumerator final : public IChannelEnumerator {
 public:
  ChannelEnumerator(VentriloInstance* instance, VentriloElement* parent, std::uint32_t pass)
      : instance_(instance), parent_(parent), pass_(pass) {}

  // Upserts what `item` (a server or channel item) holds under `element`, the
  // element made for it: first its users, then its channels with their subtrees.
  template <class Item>
  static void VisitChildren(VentriloInstance* instance, VentriloElement* element, std::uint32_t pass, Item* item) {
    UserEnumerator users(instance, element, pass);
    item->EnumerateUsers(&users);
    ChannelEnumerator channels(instance, element, pass);
    item->EnumerateChannels(&channels);
  }

  // Always 0: every channel is visited.
  int OnChannel(const char* name, IChannel* channel) override;

 private:
  VentriloInstance* instance_;
  VentriloElement* parent_;
  std::uint32_t pass_;
};
