#pragma once

#include "libventrilo/IVentrilo.h"
#include "libventrilo/VentRemoteMemory.h"

#include <memory>

// One running client process, found by the locator through its main window.
// The process is opened on the first snapshot and stays open, with the two
// buffers committed in it, until the last reference goes.
class Ventrilo final : public IVentrilo {
 public:
  // The access the library asks for: every standard and process-specific
  // right, the mask older Windows called PROCESS_ALL_ACCESS.
  static constexpr DWORD kProcessAccess = 0x1F0FFF;

  // Count 0, process not opened yet.
  Ventrilo(DWORD processId, HWND window);

  DWORD GetProcessID() override;
  bool IsProcessOpen() override;
  // Fails (no snapshot) when the process cannot be opened or when the client
  // stops answering during the capture; the next call tries again.
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
};
