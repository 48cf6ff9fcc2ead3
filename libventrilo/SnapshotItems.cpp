#include "libventrilo/SnapshotItems.h"

#include "libventrilo/Server.h"

namespace {

// Collects what one server or channel holds directly, in its enumeration order.
class DirectChildren final : public IUserEnumerator, public IChannelEnumerator {
 public:
  int OnUser(const char*, IUser* user) override {
    users.push_back(static_cast<User*>(user));
    return 0;
  }
  int OnChannel(const char*, IChannel* channel) override {
    channels.push_back(static_cast<Channel*>(channel));
    return 0;
  }

  std::vector<User*> users;
  std::vector<Channel*> channels;
};

// Adds what `item`, the entry at `index`, holds, in the order of its own
// enumerations, each channel followed by its subtree.
void AddChildren(std::vector<SnapshotItems::Entry>& entries, Channel* item, std::uint32_t index) {
  DirectChildren children;
  item->EnumerateUsers(&children);
  item->EnumerateChannels(&children);
  for (User* user : children.users)
    entries.push_back({&user->GetInfo(), user->GetHandle(), nullptr, nullptr, user, index});
  for (Channel* channel : children.channels) {
    const auto channelIndex = static_cast<std::uint32_t>(entries.size());
    entries.push_back({&channel->GetInfo(), channel->GetHandle(), nullptr, channel, nullptr, index});
    AddChildren(entries, channel, channelIndex);
  }
}

}  // namespace

void SnapshotItems::Build(IServer* item) {
  entries_.clear();
  if (item == nullptr)
    return;
  // A snapshot's items are all its own classes: its users User, its channels
  // Channel, its server Server.
  auto* server = static_cast<Server*>(item);
  entries_.push_back({&server->GetInfo(), server->GetHandle(), server, nullptr, nullptr, 0});
  AddChildren(entries_, server, 0);
}
