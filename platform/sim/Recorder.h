// What tests observe of the desktop: the recorded calls, the message hook and
// the message boxes shown. Calls from every thread go into one list in the
// order they were made. While recording is off a call costs one atomic load.
#pragma once

#include "platform/sim/SimDesktop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace sim {

class Recorder {
 public:
  static constexpr std::uint64_t kNotRecorded = ~std::uint64_t{0};

  void Start();
  void Stop();
  std::vector<CallRecord> Take();
  // Records the call when recording is on; returns a ticket for SetResult.
  std::uint64_t Record(const CallRecord& record);
  // Fills in the result of a message once it was answered (the record was
  // made before delivery so that nested messages follow it).
  void SetResult(std::uint64_t ticket, LRESULT result);

  void SetHook(MessageHook hook);
  // Runs the hook, if any, on the calling thread.
  void RunHook(const CallRecord& record) const;

  // Records a box shown by MessageBoxA, then returns once it is dismissed:
  // at once, unless boxes are held open.
  void ShowMessageBox(MessageBoxRecord box);
  std::vector<MessageBoxRecord> TakeMessageBoxes();
  // While held, every box stays open (as with nobody at the screen).
  void HoldMessageBoxes(bool hold);
  // Waits until `count` boxes were shown since the last TakeMessageBoxes;
  // false when `deadline` passed first.
  bool AwaitMessageBoxes(std::size_t count, std::chrono::steady_clock::time_point deadline);

  // Recording off and empty, no hook, no message boxes.
  void Reset();

 private:
  std::atomic<bool> on_{false};
  std::atomic<bool> hooked_{false};
  mutable std::mutex mutex_;
  std::vector<CallRecord> records_;
  std::uint64_t firstTicket_ = 0;  // ticket of records_[0]
  std::shared_ptr<const MessageHook> hook_;
  std::vector<MessageBoxRecord> boxes_;
  bool holdBoxes_ = false;
  std::condition_variable boxesChanged_;
};

}  // namespace sim
