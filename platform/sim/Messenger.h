// The one path by which a message reaches a window: recorded, checked for an
// injected failure, shown to the message hook, then handled on the calling
// thread under the target's window thread lock once that thread answers. A
// send whose deadline expires leaves the message queued for late handling
// (WindowThread::QueueLate), as Windows does.
#pragma once

#include "platform/sim/WindowThread.h"

#include <optional>

namespace sim {

class Messenger {
 public:
  enum class Outcome { Answered, NoWindow, Failed, TimedOut };

  // Without a deadline the call waits for ever for a hung target, as
  // SendMessageA does. Sets the thread's last error on every outcome but Answered.
  static Outcome Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      std::optional<WindowThread::Clock::time_point> deadline, bool abortIfHung, LRESULT* result);
};

}  // namespace sim
