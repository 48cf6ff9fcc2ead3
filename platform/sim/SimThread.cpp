#include "platform/sim/SimThread.h"

#include "platform/sim/Await.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace sim {
namespace {

std::atomic<DWORD> nextThreadId{0x1100};
thread_local DWORD currentThreadId = 0;

}  // namespace

DWORD SimThread::NewID() { return nextThreadId.fetch_add(4, std::memory_order_relaxed); }

DWORD SimThread::CurrentID() {
  if (currentThreadId == 0)
    currentThreadId = NewID();
  return currentThreadId;
}

bool SimThread::Start(LPTHREAD_START_ROUTINE start, LPVOID parameter) {
  try {
    std::thread([self = shared_from_this(), start, parameter] {
      currentThreadId = self->id_;
      try {
        start(parameter);
      } catch (const ThreadExit&) {
      }
      self->Finish();
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void SimThread::Finish() {
  std::lock_guard lock(mutex_);
  done_ = true;
  ended_.notify_all();
}

bool SimThread::Wait(std::optional<Clock::time_point> deadline) {
  std::unique_lock lock(mutex_);
  return Await(ended_, lock, deadline, [this] { return done_; });
}

}  // namespace sim
