#include "platform/sim/Faults.h"

#include <algorithm>

namespace sim {

bool Faults::Take(std::atomic<int>& counter) {
  int left = counter.load(std::memory_order_acquire);
  while (left > 0) {
    if (counter.compare_exchange_weak(left, left - 1, std::memory_order_acq_rel))
      return true;
  }
  return false;
}

void Faults::FailMessage(HWND window, UINT message, int count) {
  std::lock_guard lock(mutex_);
  std::erase_if(messages_, [&](const MessageFailure& f) { return f.window == window && f.message == message; });
  if (count > 0)
    messages_.push_back({window, message, count});
  messagesArmed_.store(!messages_.empty(), std::memory_order_release);
}

bool Faults::TakeMessageFailure(HWND window, UINT message) {
  if (!messagesArmed_.load(std::memory_order_acquire))
    return false;
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(messages_.begin(), messages_.end(), [&](const MessageFailure& f) {
    return f.message == message && (f.window == nullptr || f.window == window);
  });
  if (found == messages_.end())
    return false;
  if (--found->count == 0)
    messages_.erase(found);
  messagesArmed_.store(!messages_.empty(), std::memory_order_release);
  return true;
}

void Faults::Reset() {
  FailVirtualAlloc(0);
  FailCreateThread(0);
  std::lock_guard lock(mutex_);
  messages_.clear();
  messagesArmed_.store(false, std::memory_order_release);
}

}  // namespace sim
