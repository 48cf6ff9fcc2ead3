// The window thread of a simulated process. Messages to the process's windows
// are handled on the sender's own thread while it holds this thread's
// recursive lock, so a message never interleaves with the program's own work
// (which runs under the same lock) or with another message. A hung thread
// answers no message until it recovers; a thread whose process ended answers
// none ever. One mutex guards the lock's owner, the hang and the end, so
// every wait is on a condition, never a polling sleep.
//
// A message whose send timed out is not withdrawn, as on Windows: it stays
// queued and the thread handles it the next time it answers messages (when
// its hang ends, when the program's own work ends, or before the next sender
// is let in), in the order the sends timed out. A send given up at once
// because the thread is hung (SMTO_ABORTIFHUNG) was never queued.
#pragma once

#include "platform/sim/SimWin32.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace sim {

class WindowThread {
 public:
  using Clock = std::chrono::steady_clock;

  explicit WindowThread(DWORD id) : id_(id) {}
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  DWORD GetID() const { return id_; }

  enum class Entry { Entered, TimedOut, GaveUp, Gone };
  // Waits until the thread answers and takes its lock. Without a deadline it
  // waits for ever, as SendMessageA does. With `abortIfHung`, a thread hung for
  // 5 s or more is given up at once (GaveUp), as SMTO_ABORTIFHUNG does. A caller that
  // already holds the lock (a handler sending to its own process) enters at
  // once, hung or not: a thread's sends to its own windows are plain calls.
  Entry Enter(std::optional<Clock::time_point> deadline, bool abortIfHung);
  void Leave();

  // Queues the late handling of a message whose send timed out (see above).
  // Dropped when the process ends.
  void QueueLate(std::function<void()> delivery);

  // Holds the lock for the program's own work for one scope. A hang does not
  // stop the program's own code, and neither does the process's end.
  class Work {
   public:
    explicit Work(WindowThread& thread);
    ~Work() { thread_.Leave(); }
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

   private:
    WindowThread& thread_;
  };

  // `hungFor` backdates the start of a hang. When a hang ends on a thread
  // nobody holds, the messages queued meanwhile are handled right here.
  void SetHung(bool hung, Clock::duration hungFor);
  // The process ended: every waiting sender is released without an answer.
  void Terminate();
  // Waits until the process ends; false when `deadline` passed first.
  bool AwaitGone(std::optional<Clock::time_point> deadline);

 private:
  // Handles the queued messages while the caller holds the thread's lock.
  void DeliverLate(std::unique_lock<std::mutex>& lock);

  const DWORD id_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread::id owner_{};
  int depth_ = 0;
  bool hung_ = false;
  bool gone_ = false;
  Clock::time_point hungSince_{};
  std::deque<std::function<void()>> late_;
};

}  // namespace sim
