#pragma once

#include "libventrilo/TreeItemInfo.h"
#include "platform/Win32.h"

#include <cstdint>
#include <vector>

class IChannel;
class IServer;
class IUser;

// A snapshot's items laid out flat, in the order in which a reader that walks
// the tree with EnumerateUsers and EnumerateChannels meets them: the server,
// then for the server and each channel its users, then its channels, each
// channel followed by its own subtree. Each entry points at the item's values,
// so a reader can compare an item with what it already knows without a call
// per attribute. A snapshot builds it once, through the items' interfaces;
// building it again for a tree of no more items allocates nothing.
class SnapshotItems {
 public:
  struct Entry {
    const TreeItemInfo* info;
    HTREEITEM handle;
    // Exactly one is set: the item as what it is.
    IServer* server;
    IChannel* channel;
    IUser* user;
    // The index of the entry of the server or channel the item was found
    // under; 0, the server's own index, for the server.
    std::uint32_t parent;
  };

  // Replaces the entries with those of the tree below `server` (none for
  // null), whose items live as long as the entries are read.
  void Build(IServer* server);
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};
