#pragma once

#include "libventrilo/IChannelEnumerator.h"
#include "libventrilo/ITreeItem.h"
#include "libventrilo/IUserEnumerator.h"

// A channel item: its attributes and its direct children. Enumerations return
// the number of calls made, the one that stopped them included.
class IChannel : public ITreeItem {
 public:
  virtual int EnumerateChannels(IChannelEnumerator* enumerator) = 0;
  virtual int EnumerateUsers(IUserEnumerator* enumerator) = 0;

 protected:
  ~IChannel() = default;
};
