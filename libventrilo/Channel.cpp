#include "libventrilo/Channel.h"

Channel::Channel(TreeItemInfo&& info, HTREEITEM handle) : TreeItem(std::move(info), handle) {}

Channel::~Channel() {
  users_.clear();
  channels_.clear();
}

namespace {

// Calls `report` for each item of `items` until it answers exactly 1; returns
// the number of calls made.
template <class Items, class Report>
int EnumerateItems(const Items& items, Report report) {
  int count = 0;
  for (const auto& item : items) {
    ++count;
    if (report(item.get()) == 1)
      break;
  }
  return count;
}

}  // namespace

int Channel::EnumerateChannels(IChannelEnumerator* enumerator) {
  return EnumerateItems(channels_,
                        [enumerator](Channel* channel) { return enumerator->OnChannel(channel->GetName(), channel); });
}

int Channel::EnumerateUsers(IUserEnumerator* enumerator) {
  return EnumerateItems(users_, [enumerator](User* user) { return enumerator->OnUser(user->GetName(), user); });
}

Channel* Channel::AddChannel(std::unique_ptr<Channel> channel) {
  return channels_.insert(std::move(channel)).first->get();
}

User* Channel::AddUser(std::unique_ptr<User> user) { return users_.insert(std::move(user)).first->get(); }
