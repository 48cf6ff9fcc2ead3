#pragma once

#include "libventrilo/VentRemoteBuffer.h"
#include "platform/Win32.h"

#include <array>

// The buffers one client instance uses in its client process, in pairs: the
// item buffer receives the TVITEMA exchanged with the client's tree view, the
// text buffer the item text the tree view writes. Every VirtualAllocEx region
// takes 64 KiB of the client's address space, so one region of that size is
// reserved and the pairs are committed inside it, one pair in use at a time
// and reused by every read, so at most one capture of a client may run at a
// time. A request that went unanswered stays queued in the client, which
// answers it into its pair whenever it wakes: that pair is abandoned and not
// used again until the client has answered a later request (it then has
// handled the queued one). The process handle is not owned; its owner frees
// this object before closing it.
class VentRemoteMemory {
 public:
  static constexpr DWORD kRegionSize = 0x10000;
  // The pairs of the region. When every one lies abandoned, Allocate fails:
  // the client is read again once it answers (Drained), and nothing more is
  // committed in it meanwhile.
  static constexpr int kPairs = static_cast<int>(kRegionSize / (2 * VentRemoteBuffer::kSize));

  explicit VentRemoteMemory(HANDLE process);
  ~VentRemoteMemory();
  VentRemoteMemory(const VentRemoteMemory&) = delete;
  VentRemoteMemory& operator=(const VentRemoteMemory&) = delete;

  // Reserves the region when it is not, takes a pair that is not abandoned
  // and commits whichever of its buffers is not committed yet; true when both
  // are. A commit that failed is tried again by the next call, so a client
  // that ran short of memory once is read as soon as it has some again.
  bool Allocate();
  // Gives the region back; does nothing when there is none. While a pair lies
  // abandoned the region stays in the client (a late answer may still land
  // in it), and the next Allocate reserves a fresh one.
  void Free();
  // Abandons the pair in use: a request sent through it went unanswered.
  void Abandon();
  // The client answered a request sent after every abandoned pair's: they
  // are free again.
  void Drained() {
    if (abandoned_ != 0)
      FreeAbandoned();
  }
  // Whether every pair lies abandoned.
  bool IsExhausted() const { return abandoned_ == kPairs; }

  HANDLE GetProcess() const { return process_; }
  // Null while no pair is in use (before Allocate, after Abandon and Free).
  VentRemoteBuffer* GetItemBuffer() { return current_ < 0 ? nullptr : &pairs_[current_].item; }
  VentRemoteBuffer* GetTextBuffer() { return current_ < 0 ? nullptr : &pairs_[current_].text; }

 private:
  struct Pair {
    VentRemoteBuffer item;
    VentRemoteBuffer text;
    bool abandoned = false;
  };

  void FreeAbandoned();
  bool Commit(VentRemoteBuffer& buffer, DWORD offset);

  HANDLE process_;
  LPVOID region_ = nullptr;
  std::array<Pair, kPairs> pairs_;
  int current_ = -1;
  int abandoned_ = 0;
};
