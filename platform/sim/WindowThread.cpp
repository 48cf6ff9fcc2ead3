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
    return Entry::TimedOut;
  if (!Await(changed_, lock, deadline, [this] { return gone_ || (!hung_ && depth_ == 0); }))
    return Entry::TimedOut;
  if (gone_)
    return Entry::Gone;
  owner_ = self;
  depth_ = 1;
  return Entry::Entered;
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
  std::lock_guard lock(mutex_);
  if (--depth_ == 0) {
    owner_ = std::thread::id{};
    changed_.notify_all();
  }
}

void WindowThread::SetHung(bool hung, Clock::duration hungFor) {
  std::lock_guard lock(mutex_);
  hung_ = hung;
  hungSince_ = Clock::now() - hungFor;
  changed_.notify_all();
}

void WindowThread::Terminate() {
  std::lock_guard lock(mutex_);
  gone_ = true;
  changed_.notify_all();
}

bool WindowThread::AwaitGone(std::optional<Clock::time_point> deadline) {
  std::unique_lock lock(mutex_);
  return Await(changed_, lock, deadline, [this] { return gone_; });
}

}  // namespace sim
