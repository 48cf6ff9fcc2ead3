// A snapshot built by hand: a server, channels and users with whatever values
// a test gives them (none: it shows nothing). Items keep their addresses while
// the snapshot lives, so a test can change, move or remove them between two
// applies, as a client would between two captures. It counts how many are
// alive, so tests can prove that every reference handed around was released.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "libventrilo/IChannel.h"
#include "libventrilo/IServer.h"
#include "libventrilo/ISnapshot.h"
#include "libventrilo/IUser.h"
#include "libventrilo/IVentrilo.h"
#include "libventrilo/SnapshotItems.h"
#include "libventrilo/TreeItemInfo.h"

// What an item answers. The icon defaults to the kind's usual one (server 0,
// channel 1, user 2) and the handle to the key, so a test names both at once.
struct ItemValues {
  std::uint32_t key = 0;
  std::string name{};
  std::optional<int> icon{};
  std::uint32_t flags = 0;
  std::string displayText{};
  std::string rank{};
  std::uint32_t rankID = 0;
  std::string pronunciation{};
  std::string comment{};
  std::string commentURL{};
  std::uintptr_t handle = 0;
};

template <class Interface>
class FakeItem : public Interface {
 public:
  FakeItem(const ItemValues& values, int icon) : values(values) { this->values.icon = values.icon.value_or(icon); }

  int GetIconID() override { return *values.icon; }
  HTREEITEM GetHandle() override {
    return reinterpret_cast<HTREEITEM>(values.handle ? values.handle : std::uintptr_t{values.key});
  }
  std::uint32_t GetRecordAddress() override { return values.key; }
  const char* GetDisplayText() override { return values.displayText.c_str(); }
  const char* GetName() override { return values.name.c_str(); }
  const char* GetPronunciation() override { return values.pronunciation.c_str(); }
  const char* GetComment() override { return values.comment.c_str(); }
  const char* GetCommentURL() override { return values.commentURL.c_str(); }
  const char* GetRank() override { return values.rank.c_str(); }
  std::uint32_t GetFlags() override { return values.flags; }
  std::uint32_t GetRankID() override { return values.rankID; }
  // Read afresh from `values`, which a test may have changed since.
  const TreeItemInfo& GetInfo() override {
    info_.displayText = values.displayText;
    info_.iconID = *values.icon;
    info_.name = values.name;
    info_.pronunciation = values.pronunciation;
    info_.comment = values.comment;
    info_.commentURL = values.commentURL;
    info_.rankID = static_cast<std::uint16_t>(values.rankID);
    info_.rank = values.rank;
    info_.flags = values.flags;
    info_.recordAddress = values.key;
    return info_;
  }

  ItemValues values;

 private:
  TreeItemInfo info_;
};

class FakeUser final : public FakeItem<IUser> {
 public:
  explicit FakeUser(const ItemValues& values) : FakeItem(values, 2) {}
};

class FakeChannel;

// A server or channel item: reports its direct children in the order they were added.
template <class Interface>
class FakeContainer : public FakeItem<Interface> {
 public:
  using FakeItem<Interface>::FakeItem;

  int EnumerateChannels(IChannelEnumerator* enumerator) override {
    int calls = 0;
    for (IChannel* channel : channels) {
      ++calls;
      if (enumerator->OnChannel(channel->GetName(), channel) == 1)
        break;
    }
    return calls;
  }
  int EnumerateUsers(IUserEnumerator* enumerator) override {
    int calls = 0;
    for (IUser* user : users) {
      ++calls;
      if (enumerator->OnUser(user->GetName(), user) == 1)
        break;
    }
    return calls;
  }

  std::vector<IChannel*> channels;
  std::vector<IUser*> users;
};

class FakeChannel final : public FakeContainer<IChannel> {
 public:
  explicit FakeChannel(const ItemValues& values) : FakeContainer(values, 1) {}
};

class FakeServer final : public FakeContainer<IServer> {
 public:
  explicit FakeServer(const ItemValues& values) : FakeContainer(values, 0) {}
};

class FakeSnapshot final : public ISnapshot {
 public:
  FakeSnapshot() { ++alive; }
  // Public: a test keeps one on its stack and applies it without references,
  // or makes one with new and lets its last Release delete it.
  ~FakeSnapshot() override { --alive; }

  static inline std::atomic<int> alive{0};

  FakeServer* SetServer(const ItemValues& values) {
    server = &servers_.emplace_back(values);
    return server;
  }
  template <class Parent>
  FakeChannel* AddChannel(Parent* parent, const ItemValues& values) {
    FakeChannel* channel = &channels_.emplace_back(values);
    parent->channels.push_back(channel);
    return channel;
  }
  template <class Parent>
  FakeUser* AddUser(Parent* parent, const ItemValues& values) {
    FakeUser* user = &users_.emplace_back(values);
    parent->users.push_back(user);
    return user;
  }
  // Takes the item out of whatever server or channel holds it.
  void Detach(ITreeItem* item) {
    Detach(server, item);
    for (FakeChannel& channel : channels_)
      Detach(&channel, item);
  }
  template <class Parent>
  void MoveUser(FakeUser* user, Parent* to) {
    Detach(user);
    to->users.push_back(user);
  }
  template <class Parent>
  void MoveChannel(FakeChannel* channel, Parent* to) {
    Detach(channel);
    to->channels.push_back(channel);
  }

  DWORD GetTimestamp() override { return 0; }
  bool GetSelectedItem(ITreeItem** out) override { return selected ? (*out = selected, true) : false; }
  HWND GetTreeView() override { return treeView; }
  HWND GetDisconnectButton() override { return nullptr; }
  HWND GetConnectButton() override { return nullptr; }
  HWND GetMuteSoundButton(bool* checked) override { return *checked = false, nullptr; }
  HWND GetMuteMicrophoneButton(bool* checked) override { return *checked = false, nullptr; }
  int GetTableA(SnapshotTable** out) override { return *out = &table_, 0; }
  int GetTableB(SnapshotTable** out) override { return *out = &table_, 0; }
  int GetTableC(SnapshotTable** out) override { return *out = &table_, 0; }
  bool GetLocalUser(IUser** out) override { return localUser ? (*out = localUser, true) : false; }
  bool GetServer(IServer** out) override { return server ? (*out = server, true) : false; }
  // Laid out afresh at every call, as a test may have changed the tree since.
  const SnapshotItems& GetItems() override {
    items_.Build(server);
    return items_;
  }

  FakeServer* server = nullptr;
  ITreeItem* selected = nullptr;
  IUser* localUser = nullptr;
  HWND treeView = nullptr;

 private:
  template <class Container>
  static void Detach(Container* from, ITreeItem* item) {
    if (!from)
      return;
    std::erase(from->users, item);
    std::erase(from->channels, item);
  }

  std::deque<FakeServer> servers_;
  std::deque<FakeChannel> channels_;
  std::deque<FakeUser> users_;
  SnapshotTable table_;
  SnapshotItems items_;
};

// A client the instance element can hold a reference on; nothing else is asked of it.
class FakeClient final : public IVentrilo {
 public:
  FakeClient() { AddRef(); }
  int References() {
    AddRef();
    return Release();
  }
  DWORD GetProcessID() override { return 0; }
  bool IsProcessOpen() override { return false; }
  bool TakeSnapshot(ISnapshot**) override { return false; }
  HWND GetWindow() override { return nullptr; }
  bool Reserved1() override { return false; }
  bool Reserved2(DWORD) override { return false; }
  bool Reserved3(DWORD) override { return false; }
};
