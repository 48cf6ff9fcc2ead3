// Waiting on a condition with an optional deadline, as Win32 waits take
// INFINITE or a bound.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace sim {

// True once `ready` holds; false when `deadline` passed first. Waits for ever
// without a deadline.
template <class Ready>
bool Await(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
           std::optional<std::chrono::steady_clock::time_point> deadline, Ready ready) {
  if (!deadline) {
    changed.wait(lock, ready);
    return true;
  }
  return changed.wait_until(lock, *deadline, ready);
}

}  // namespace sim
