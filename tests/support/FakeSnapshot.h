// A snapshot that shows nothing, counting how many are alive so tests can prove
// that every reference handed around was released.
#pragma once

#include "libventrilo/ISnapshot.h"

#include <atomic>

class FakeSnapshot final : public ISnapshot {
 public:
  FakeSnapshot() { ++alive; }

  DWORD GetTimestamp() override { return 0; }
  bool GetSelectedItem(ITreeItem**) override { return false; }
  HWND GetTreeView() override { return nullptr; }
  HWND GetDisconnectButton() override { return nullptr; }
  HWND GetConnectButton() override { return nullptr; }
  HWND GetMuteSoundButton(bool*) override { return nullptr; }
  HWND GetMuteMicrophoneButton(bool*) override { return nullptr; }
  int GetTableA(SnapshotTable**) override { return 0; }
  int GetTableB(SnapshotTable**) override { return 0; }
  int GetTableC(SnapshotTable**) override { return 0; }
  bool GetLocalUser(IUser**) override { return false; }
  bool GetServer(IServer**) override { return false; }

  static inline std::atomic<int> alive{0};

 private:
  ~FakeSnapshot() override { --alive; }
};
