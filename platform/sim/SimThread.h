// A thread made by CreateThread: a std::thread underneath, detached at once,
// with a waitable end. The object lives while its handle is open or the thread
// runs, so closing the handle never waits for the thread. Also the source of
// Win32 thread ids, for these threads and for every other thread that asks.
#pragma once

#include "platform/sim/SimWin32.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace sim {

// Thrown by FreeLibraryAndExitThread to end the calling thread; caught where
// the thread began.
struct ThreadExit {
  DWORD code;
};

class SimThread : public std::enable_shared_from_this<SimThread> {
 public:
  using Clock = std::chrono::steady_clock;

  SimThread() : id_(NewID()) {}
  SimThread(const SimThread&) = delete;
  SimThread& operator=(const SimThread&) = delete;

  DWORD GetID() const { return id_; }
  // Runs `start(parameter)` on a new thread; false when no thread could be made.
  bool Start(LPTHREAD_START_ROUTINE start, LPVOID parameter);
  // True once the thread has ended; waits until `deadline` (for ever without one).
  bool Wait(std::optional<Clock::time_point> deadline);

  // True once every thread Start() began has ended, its unwinding included;
  // waits until `deadline`.
  static bool AwaitAllEnded(Clock::time_point deadline);

  // A fresh id, never handed out before (window threads take theirs here too).
  static DWORD NewID();
  // The calling thread's id: its SimThread's, or one drawn on first use.
  static DWORD CurrentID();

 private:
  void Finish();

  const DWORD id_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
};

}  // namespace sim
