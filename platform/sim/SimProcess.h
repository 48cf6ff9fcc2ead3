// A process on the simulated desktop: its id, its memory and its one
// window thread. The desktop keeps the object while the process runs or a
// handle to it is open; once the process ends its memory is gone (reads,
// writes, commits and releases through an open handle fail, as on Windows),
// while its id still answers through such a handle.
#pragma once

#include "platform/sim/AddressSpace.h"
#include "platform/sim/WindowThread.h"

#include <atomic>

namespace sim {

class SimProcess {
 public:
  SimProcess(DWORD id, DWORD windowThreadId) : id_(id), thread_(windowThreadId) {}
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  DWORD GetID() const { return id_; }
  AddressSpace& Memory() { return memory_; }
  WindowThread& Thread() { return thread_; }

  bool IsAlive() const { return alive_.load(std::memory_order_acquire); }
  // Ends the process: its window thread answers no more and its memory goes.
  void Exit();

  bool IsOpenRefused() const { return openRefused_.load(std::memory_order_acquire); }
  void SetOpenRefused(bool refused) { openRefused_.store(refused, std::memory_order_release); }

 private:
  const DWORD id_;
  AddressSpace memory_;
  WindowThread thread_;
  std::atomic<bool> alive_{true};
  std::atomic<bool> openRefused_{false};
};

}  // namespace sim
