// Failures a test injects into the desktop. Each check costs one atomic load
// while nothing is armed.
#pragma once

#include "platform/sim/SimWin32.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace sim {

class Faults {
 public:
  void FailVirtualAlloc(int count) { allocFailures_.store(count, std::memory_order_release); }
  void FailCreateThread(int count) { threadFailures_.store(count, std::memory_order_release); }
  // `window` null stands for every window; a count of 0 disarms.
  void FailMessage(HWND window, UINT message, int count);

  // Each consumes one armed failure when there is one.
  bool TakeVirtualAllocFailure() { return Take(allocFailures_); }
  bool TakeCreateThreadFailure() { return Take(threadFailures_); }
  bool TakeMessageFailure(HWND window, UINT message);

  void Reset();

 private:
  struct MessageFailure {
    HWND window;
    UINT message;
    int count;
  };

  static bool Take(std::atomic<int>& counter);

  std::atomic<int> allocFailures_{0};
  std::atomic<int> threadFailures_{0};
  std::atomic<bool> messagesArmed_{false};
  std::mutex mutex_;
  std::vector<MessageFailure> messages_;
};

}  // namespace sim
