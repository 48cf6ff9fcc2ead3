// The polling thread's handle and flags on Win32.
//
// The thread's start routine must run its body inside Run(), which holds the
// run lock and the running flag for the body's whole life: StopThread waits for
// the body by entering that lock. The stop, started and running flags are each
// written by one thread and polled by the other without a lock, hence atomics.
#pragma once

#include "module/CPortableThread.h"

#include <atomic>

class CWindowsThread final : public CPortableThread {
 public:
  CWindowsThread();
  // Stops a thread still running (as StopThread does), then drops the run lock.
  ~CWindowsThread();

  CWindowsThread(const CWindowsThread&) = delete;
  CWindowsThread& operator=(const CWindowsThread&) = delete;

  // Does nothing, successfully, while a thread runs.
  bool StartThread(LPTHREAD_START_ROUTINE entry, void* argument) override;
  // Sets the stop flag, waits for the body to end, and closes the thread's
  // handle once the thread has ended. Returns at once when no body runs.
  void StopThread() override;
  bool KillThread() override;
  // From now on StopThread waits only for the body to end, not for the thread
  // to exit, and then just closes the handle. Needed under Windows' loader lock
  // (the library's detach notification): an exiting thread waits for that very
  // lock, so waiting for its exit there would never end.
  void DetachFromExit() { waitForExit_ = false; }

  // Runs `body` as the thread's body: under the run lock, with the running flag
  // set and the started flag raised before it. Called by the start routine.
  void Run(void (*body)());

  bool IsRunning() const { return running_.load(); }
  bool IsStopRequested() const { return stop_.load(); }
  DWORD GetThreadID() const { return threadId_; }
  void* GetArgument() const { return argument_; }

 private:
  // Waits for an ended thread to be gone (unless detached from its exit) and
  // closes its handle.
  void CloseEndedThread();

  std::atomic<bool> running_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> started_{false};
  void* argument_ = nullptr;
  CRITICAL_SECTION runLock_;
  DWORD threadId_ = 0;
  HANDLE handle_ = nullptr;
  bool waitForExit_ = true;
};
