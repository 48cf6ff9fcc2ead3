#pragma once

#include "libventrilo/IUser.h"
#include "libventrilo/TreeItem.h"

// A user item of a snapshot; owned by the channel or server it was found under.
class User final : public TreeItem<IUser> {
 public:
  User(TreeItemInfo&& info, HTREEITEM handle) : TreeItem(std::move(info), handle) {}
};
