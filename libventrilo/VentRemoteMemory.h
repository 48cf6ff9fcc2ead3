#pragma once

#include "libventrilo/VentRemoteBuffer.h"
#include "platform/Win32.h"

#include <memory>

// The two buffers committed in one client process: the item buffer receives
// the TVITEMA exchanged with the client's tree view, the text buffer the item
// text the tree view writes. Committed once per process and reused by every
// read, so at most one capture of a client may run at a time. The process
// handle is not owned; its owner frees this object before closing it.
class VentRemoteMemory {
 public:
  explicit VentRemoteMemory(HANDLE process);
  ~VentRemoteMemory();

  VentRemoteMemory(const VentRemoteMemory&) = delete;
  VentRemoteMemory& operator=(const VentRemoteMemory&) = delete;

  // Commits whichever buffer is not committed yet; true when both are. A
  // commit that failed is tried again by the next call, so a client that ran
  // short of memory once is read as soon as it has some again.
  bool Allocate();
  // Gives both buffers back; does nothing when there are none.
  void Free();
  // Lets go of both buffers without giving them back (VentRemoteBuffer::
  // Abandon): a request that went unanswered may still be answered into them.
  // The next Allocate commits fresh ones; the old 8 KiB stay in the client.
  void Abandon();

  HANDLE GetProcess() const { return process_; }
  // Null before Allocate and after Free.
  VentRemoteBuffer* GetItemBuffer() const { return itemBuffer_.get(); }
  VentRemoteBuffer* GetTextBuffer() const { return textBuffer_.get(); }

 private:
  std::unique_ptr<VentRemoteBuffer> itemBuffer_;
  std::unique_ptr<VentRemoteBuffer> textBuffer_;
  HANDLE process_;
};
