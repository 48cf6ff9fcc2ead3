#pragma once

#include "platform/Win32.h"

// One 4096-byte block committed inside a client process, for the structures
// and texts a client's control fills in at an address of its own process.
// The process handle is not owned. A failed commit is not reported: the buffer
// then has a null address, and every transfer through it is skipped.
class VentRemoteBuffer {
 public:
  static constexpr DWORD kSize = 4096;

  explicit VentRemoteBuffer(HANDLE process);
  // Gives the block back to the client process; a failure (the client has
  // exited meanwhile) is ignored.
  ~VentRemoteBuffer();

  VentRemoteBuffer(const VentRemoteBuffer&) = delete;
  VentRemoteBuffer& operator=(const VentRemoteBuffer&) = delete;

  DWORD GetSize() const { return size_; }
  // The block's address in the client process; null when the commit failed.
  LPVOID GetAddress() const { return address_; }
  // Lets go of the block without giving it back: a message that timed out
  // stays queued on Windows and may still write into it when the client
  // wakes, so the block must stay committed and never be used again.
  void Abandon() { address_ = nullptr; }

  // Copies between this process and the block. Results are not checked: a
  // failed read leaves `target` as it was, so callers prepare it first.
  void Write(const void* source, SIZE_T length);
  void Read(void* target, SIZE_T length);

 private:
  DWORD size_;
  HANDLE process_;
  LPVOID address_;
};
