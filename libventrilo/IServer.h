#pragma once

#include "libventrilo/IChannelEnumerator.h"
#include "libventrilo/ITreeItem.h"
#include "libventrilo/IUserEnumerator.h"

// The server item (the root of the client's tree): a channel's operations.
class IServer : public ITreeItem {
 public:
  virtual int EnumerateChannels(IChannelEnumerator* enumerator) = 0;
  virtual int EnumerateUsers(IUserEnumerator* enumerator) = 0;

 protected:
  ~IServer() = default;
};
