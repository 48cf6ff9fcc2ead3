#pragma once

#include "libventrilo/IChannel.h"
#include "libventrilo/TreeItem.h"
#include "libventrilo/User.h"

#include <memory>
#include <set>

// A channel item of a snapshot. It owns the users and channels found directly
// under it, kept in sets ordered by address: enumerations follow that order,
// which has nothing to do with the order of the client's tree.
class Channel : public TreeItem<IChannel> {
 public:
  Channel(TreeItemInfo&& info, HTREEITEM handle);
  virtual ~Channel();

  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  int EnumerateChannels(IChannelEnumerator* enumerator) override;
  int EnumerateUsers(IUserEnumerator* enumerator) override;

  // Takes ownership of an item found directly under this one; returns it.
  Channel* AddChannel(std::unique_ptr<Channel> channel);
  User* AddUser(std::unique_ptr<User> user);

 private:
  std::set<std::unique_ptr<User>> users_;
  std::set<std::unique_ptr<Channel>> channels_;
};
