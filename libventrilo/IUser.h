#pragma once

#include "libventrilo/ITreeItem.h"

// A user item; users never have children.
class IUser : public ITreeItem {
 protected:
  ~IUser() = default;
};
