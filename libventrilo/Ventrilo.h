#pragma once

#include "libventrilo/IVentrilo.h"
#include "libventrilo/VentRemoteMemory.h"

#include <cstdint>
#include <memory>
#include <vector>

// One running client process, found by the locator through its main window.
// The process is opened on the first snapshot and stays open, with the two
// buffers committed in it, until the last reference goes.
class Snapshot;

class Ventrilo final : public IVentrilo {
 public:
  // The access the library asks for: every standard and process-specific
  // right, the mask older Windows called PROCESS_ALL_ACCESS.
  static constexpr DWORD kProcessAccess = 0x1F0FFF;

  // Count 0, process not opened yet.
  Ventrilo(DWORD processId, HWND window);

  DWORD GetProcessID() override;
  bool IsProcessOpen() override;
  // Fails (no snapshot) when the process cannot be opened, when the buffers
  // cannot be committed in it, or when the capture could not show the client
  // as it was (it stopped answering, or none of three walks held together
  // while it changed under them); the next call tries again. Items that the
  // last snapshot showed and this capture misses are confirmed by a second
  // walk, and a capture that misses any is handed out only when the next
  // call's capture agrees, so their removal comes one call later.
  bool TakeSnapshot(ISnapshot** out) override;
  HWND GetWindow() override;
  bool Reserved1() override;
  bool Reserved2(DWORD argument) override;
  bool Reserved3(DWORD argument) override;

  // The buffers in the client process; null until the process was opened.
  VentRemoteMemory* GetRemoteMemory() const { return memory_.get(); }

 private:
  ~Ventrilo() override;

  bool OpenClientProcess();

  DWORD processId_;
  HWND window_;
  HANDLE process_ = nullptr;
  std::unique_ptr<VentRemoteMemory> memory_;
  // The item keys of the last snapshot handed out, ascending.
  std::vector<std::uint32_t> shownKeys_;
  // Whether the last call held back a capture; the keys of shownKeys_ it missed.
  bool heldBack_ = false;
  std::vector<std::uint32_t> heldMissing_;
};
