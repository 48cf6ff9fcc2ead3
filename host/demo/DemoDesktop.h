// The demo desktop: two stand-in Ventrilo clients whose rosters change along
// the timeline of demo-timeline.txt (built into the host): users join, start
// and stop talking, are muted, move, are renamed, change comment, rank and
// pronunciation, and leave; the second client disconnects, reconnects and
// finally closes. Along the way every one of the module's 17 events happens at
// least once. The same timeline runs on the simulated desktop of the Linux
// build and with the Win32 stand-in client on Windows (DemoClient), so the
// module must report the same changes on both.
#pragma once

#include "host/lua/Console.h"
#include "host/demo/DemoClient.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

class DemoDesktop {
 public:
  static constexpr std::chrono::milliseconds kTimelineLength{20000};
  // The text of demo-timeline.txt.
  static const char* const kTimeline;

  // The timeline is fitted into `runLength`; zero plays it at its own pace.
  // Changes that fail are reported on the console's error stream.
  DemoDesktop(std::chrono::milliseconds runLength, Console& console);
  ~DemoDesktop();

  DemoDesktop(const DemoDesktop&) = delete;
  DemoDesktop& operator=(const DemoDesktop&) = delete;

  // Starts the clients and makes the changes due at the start. False, with
  // the reason reported, when the timeline is malformed or a client cannot
  // start.
  bool Start();
  // Makes every change that is due `elapsed` after the start, in order.
  void Advance(std::chrono::milliseconds elapsed);

 private:
  struct Step {
    std::chrono::milliseconds at;
    std::string client;
    std::string command;
    int line;
  };

  bool Parse();
  bool Apply(const Step& step);
  bool Fail(int line, const std::string& error);

  Console& console_;
  std::vector<Step> steps_;
  std::map<std::string, std::unique_ptr<DemoClient>> clients_;
  std::size_t next_ = 0;
  double scale_;
};
