#pragma once

#include "libventrilo/TreeItemInfo.h"
#include "platform/Win32.h"

#include <cstdint>
#include <utility>

// The attribute operations shared by the user, channel and server items: each
// answers a value fixed when the item was built, without touching the client.
// `Interface` is the item's interface (IUser, IChannel).
template <class Interface>
class TreeItem : public Interface {
 public:
  int GetIconID() override { return info_.iconID; }
  HTREEITEM GetHandle() override { return handle_; }
  std::uint32_t GetRecordAddress() override { return info_.recordAddress; }
  const char* GetDisplayText() override { return info_.displayText.c_str(); }
  const char* GetName() override { return info_.name.c_str(); }
  const char* GetPronunciation() override { return info_.pronunciation.c_str(); }
  const char* GetComment() override { return info_.comment.c_str(); }
  const char* GetCommentURL() override { return info_.commentURL.c_str(); }
  const char* GetRank() override { return info_.rank.c_str(); }
  std::uint32_t GetFlags() override { return info_.flags; }
  std::uint32_t GetRankID() override { return info_.rankID; }
  const TreeItemInfo& GetInfo() override { return info_; }

 protected:
  TreeItem(TreeItemInfo&& info, HTREEITEM handle) : handle_(handle), info_(std::move(info)) {}
  ~TreeItem() = default;

 private:
  HTREEITEM handle_;
  TreeItemInfo info_;
};
