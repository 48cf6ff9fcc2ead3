#pragma once

#include "platform/Win32.h"

// One 4096-byte block inside a client process, for the structures and texts
// a client's control fills in at an address of its own process. A view: the
// block is committed and given back by its owner (VentRemoteMemory), and the
// process handle is not owned either. A null address stands for a block whose
// commit failed: every transfer through it is skipped.
class VentRemoteBuffer {
 public:
  static constexpr DWORD kSize = 4096;

  VentRemoteBuffer() = default;
  VentRemoteBuffer(HANDLE process, LPVOID address) : process_(process), address_(address) {}

  DWORD GetSize() const { return kSize; }
  // The block's address in the client process; null when the commit failed.
  LPVOID GetAddress() const { return address_; }

  // Copies between this process and the block. Results are not checked: a
  // failed read leaves `target` as it was, so callers prepare it first.
  void Write(const void* source, SIZE_T length);
  void Read(void* target, SIZE_T length);

 private:
  HANDLE process_ = nullptr;
  LPVOID address_ = nullptr;
};
