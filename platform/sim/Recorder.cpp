#include "platform/sim/Recorder.h"

#include <utility>

namespace sim {

void Recorder::Start() { on_.store(true, std::memory_order_release); }

void Recorder::Stop() { on_.store(false, std::memory_order_release); }

std::vector<CallRecord> Recorder::Take() {
  std::lock_guard lock(mutex_);
  firstTicket_ += records_.size();
  return std::exchange(records_, {});
}

std::uint64_t Recorder::Record(const CallRecord& record) {
  if (!on_.load(std::memory_order_acquire))
    return kNotRecorded;
  std::lock_guard lock(mutex_);
  records_.push_back(record);
  return firstTicket_ + records_.size() - 1;
}

void Recorder::SetResult(std::uint64_t ticket, LRESULT result) {
  if (ticket == kNotRecorded)
    return;
  std::lock_guard lock(mutex_);
  if (ticket >= firstTicket_ && ticket - firstTicket_ < records_.size())
    records_[ticket - firstTicket_].result = result;
}

void Recorder::SetHook(MessageHook hook) {
  std::lock_guard lock(mutex_);
  hook_ = hook ? std::make_shared<const MessageHook>(std::move(hook)) : nullptr;
  hooked_.store(hook_ != nullptr, std::memory_order_release);
}

void Recorder::RunHook(const CallRecord& record) const {
  if (!hooked_.load(std::memory_order_acquire))
    return;
  std::shared_ptr<const MessageHook> hook;
  {
    std::lock_guard lock(mutex_);
    hook = hook_;
  }
  if (hook)
    (*hook)(record);
}

void Recorder::ShowMessageBox(MessageBoxRecord box) {
  std::unique_lock lock(mutex_);
  boxes_.push_back(std::move(box));
  boxesChanged_.notify_all();
  boxesChanged_.wait(lock, [this] { return !holdBoxes_; });
}

void Recorder::HoldMessageBoxes(bool hold) {
  std::lock_guard lock(mutex_);
  holdBoxes_ = hold;
  boxesChanged_.notify_all();
}

bool Recorder::AwaitMessageBoxes(std::size_t count, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  return boxesChanged_.wait_until(lock, deadline, [&] { return boxes_.size() >= count; });
}

std::vector<MessageBoxRecord> Recorder::TakeMessageBoxes() {
  std::lock_guard lock(mutex_);
  return std::exchange(boxes_, {});
}

void Recorder::Reset() {
  Stop();
  SetHook(nullptr);
  std::lock_guard lock(mutex_);
  firstTicket_ += records_.size();
  records_.clear();
  boxes_.clear();
  holdBoxes_ = false;
  boxesChanged_.notify_all();
}

}  // namespace sim
