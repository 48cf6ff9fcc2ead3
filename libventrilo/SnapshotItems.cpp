#include "libventrilo/SnapshotItems.h"

#include "libventrilo/IChannel.h"
#include "libventrilo/IServer.h"
#include "libventrilo/IUser.h"

namespace {

// Appends what one server or channel holds, in the order of its own
// enumerations: its users, then its channels, each followed at once by its
// own subtree.
class Layout final : public IUserEnumerator, public IChannelEnumerator {
 public:
  explicit Layout(std::vector<SnapshotItems::Entry>& entries) : entries_(entries) {}

  template <class Item>
  void AddChildren(Item* item, std::uint32_t index) {
    const std::uint32_t outer = parent_;
    parent_ = index;
    item->EnumerateUsers(this);
    item->EnumerateChannels(this);
    parent_ = outer;
  }

  int OnUser(const char*, IUser* user) override {
    entries_.push_back({&user->GetInfo(), user->GetHandle(), nullptr, nullptr, user, parent_});
    return 0;
  }
  int OnChannel(const char*, IChannel* channel) override {
    const auto index = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back({&channel->GetInfo(), channel->GetHandle(), nullptr, channel, nullptr, parent_});
    AddChildren(channel, index);
    return 0;
  }

 private:
  std::vector<SnapshotItems::Entry>& entries_;
  std::uint32_t parent_ = 0;
};

}  // namespace

void SnapshotItems::Build(IServer* server) {
  entries_.clear();
  if (!server)
    return;
  entries_.push_back({&server->GetInfo(), server->GetHandle(), server, nullptr, nullptr, 0});
  Layout(entries_).AddChildren(server, 0);
}
