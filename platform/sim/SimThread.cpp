#include "platform/sim/SimThread.h"

#include "platform/sim/Await.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace sim {
namespace {

std::atomic<DWORD> nextThreadId{0x1100};
thread_local DWORD currentThreadId = 0;

// The threads Start() began that have not ended. Never destroyed: a detached
// thread may end after static objects are gone.
struct Running {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;

  void Ended() {
    std::lock_guard lock(mutex);
    --count;
    ended.notify_all();
  }
};

Running& RunningThreads() {
  static Running* const running = new Running;
  return *running;
}

}  // namespace

DWORD SimThread::NewID() { return nextThreadId.fetch_add(4, std::memory_order_relaxed); }

DWORD SimThread::CurrentID() {
  if (currentThreadId == 0)
    currentThreadId = NewID();
  return currentThreadId;
}

bool SimThread::Start(LPTHREAD_START_ROUTINE start, LPVOID parameter) {
  Running& running = RunningThreads();
  {
    std::lock_guard lock(running.mutex);
    ++running.count;
  }
  try {
    std::thread([self = shared_from_this(), start, parameter] {
      currentThreadId = self->id_;
      try {
        start(parameter);
      } catch (const ThreadExit&) {
      }
      self->Finish();
      RunningThreads().Ended();
    }).detach();
    return true;
  } catch (const std::system_error&) {
    running.Ended();
    return false;
  }
}

bool SimThread::AwaitAllEnded(Clock::time_point deadline) {
  Running& running = RunningThreads();
  std::unique_lock lock(running.mutex);
  return running.ended.wait_until(lock, deadline, [&] { return running.count == 0; });
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
