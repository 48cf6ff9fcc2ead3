// The demo desktop: two stand-in Ventrilo clients in the host's own process,
// whose rosters change along a built-in timeline: users join, talk, mute,
// move, are renamed, change comment, rank and pronunciation, and leave; the
// second client disconnects, reconnects and finally closes. Along the way
// every one of the module's 17 events happens at least once.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace standin {
class StandinClient;
}

class DemoDesktop {
 public:
  static constexpr std::chrono::milliseconds kTimelineLength{20000};

  // Starts both clients, connected. The timeline is fitted into `runLength`;
  // zero plays it at its own pace.
  explicit DemoDesktop(std::chrono::milliseconds runLength);
  ~DemoDesktop();

  DemoDesktop(const DemoDesktop&) = delete;
  DemoDesktop& operator=(const DemoDesktop&) = delete;

  // Makes every change that is due `elapsed` after the start, in order.
  void Advance(std::chrono::milliseconds elapsed);
  bool Finished() const { return next_ == steps_.size(); }

 private:
  struct Step {
    std::chrono::milliseconds at;
    std::function<void()> change;
  };

  std::unique_ptr<standin::StandinClient> alpha_;
  std::unique_ptr<standin::StandinClient> bravo_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  double scale_;
};
