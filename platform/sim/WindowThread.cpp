#include "platform/sim/WindowThread.h"

#include "platform/sim/Await.h"

namespace sim {
namespace {

// Windows calls a thread hung when it has not asked for messages for 5 s.
constexpr auto kHungAfter = std::chrono::seconds(5);

}  // namespace

WindowThread::Entry WindowThread::Enter(std::optional<Clock::time_point> deadline, bool abortIfHung) {
  const auto self = std::this_thread::get_id();
  std::unique_lock lock(mutex_);
  if (owner_ == self) {
    ++depth_;
    return Entry::Entered;
  }
  if (abortIfHung && hung_ && !gone_ && Clock::now() - hungSince_ >= kHungAfter)
    return Entry::GaveUp;
  if (!Await(changed_, lock, deadline, [this] { return gone_ || (!hung_ && depth_ == 0); }))
    return Entry::TimedOut;
  if (gone_)
    return Entry::Gone;
  owner_ = self;
  depth_ = 1;
  DeliverLate(lock);
  return Entry::Entered;
}

void WindowThread::QueueLate(std::function<void()> delivery) {
  std::lock_guard lock(mutex_);
  if (!gone_)
    late_.push_back(std::move(delivery));
}

void WindowThread::DeliverLate(std::unique_lock<std::mutex>& lock) {
  while (!late_.empty() && !hung_ && !gone_) {
    const std::function<void()> delivery = std::move(late_.front());
    late_.pop_front();
    lock.unlock();
    delivery();
    lock.lock();
  }
}

WindowThread::Work::Work(WindowThread& thread) : thread_(thread) {
  const auto self = std::this_thread::get_id();
  std::unique_lock lock(thread_.mutex_);
  if (thread_.owner_ != self) {
    thread_.changed_.wait(lock, [this] { return thread_.depth_ == 0; });
    thread_.owner_ = self;
  }
  ++thread_.depth_;
}

void WindowThread::Leave() {
  std::unique_lock lock(mutex_);
  if (depth_ == 1)
    DeliverLate(lock);
  if (--depth_ == 0) {
    owner_ = std::thread::id{};
    changed_.notify_all();
  }
}

void WindowThread::SetHung(bool hung, Clock::duration hungFor) {
  std::unique_lock lock(mutex_);
  hung_ = hung;
  hungSince_ = Clock::now() - hungFor;
  if (!hung_ && depth_ == 0 && !late_.empty()) {
    owner_ = std::this_thread::get_id();
    depth_ = 1;
    DeliverLate(lock);
    depth_ = 0;
    owner_ = std::thread::id{};
  }
  changed_.notify_all();
}

void WindowThread::Terminate() {
  std::deque<std::function<void()>> dropped;
  std::lock_guard lock(mutex_);
  gone_ = true;
  dropped.swap(late_);
  changed_.notify_all();
}

bool WindowThread::AwaitGone(std::optional<Clock::time_point> deadline) {
  std::unique_lock lock(mutex_);
  return Await(changed_, lock, deadline, [this] { return gone_; });
}

}  // namespace sim
