// A client instance without a client: each TakeSnapshot hands out a new
// FakeSnapshot, after running a test's hook (which may, say, request a stop).
#pragma once

#include "libventrilo/IVentrilo.h"
#include "tests/support/FakeSnapshot.h"

#include <functional>

class FakeVentrilo final : public IVentrilo {
 public:
  explicit FakeVentrilo(DWORD processId) : processId_(processId) {}

  DWORD GetProcessID() override { return processId_; }
  bool IsProcessOpen() override { return false; }
  bool TakeSnapshot(ISnapshot** out) override {
    ++snapshotsTaken;
    if (onSnapshot)
      onSnapshot();
    *out = new FakeSnapshot();
    (*out)->AddRef();
    return true;
  }
  HWND GetWindow() override { return nullptr; }
  bool Reserved1() override { return false; }
  bool Reserved2(DWORD) override { return false; }
  bool Reserved3(DWORD) override { return false; }

  // The reference count now, without changing it.
  int References() {
    const int count = AddRef() - 1;
    Release();
    return count;
  }

  int snapshotsTaken = 0;
  std::function<void()> onSnapshot;

 private:
  DWORD processId_;
};
