// Feeds the stand-in client's commands to its window thread: a thread of its
// own reads standard input line by line and posts each line to the window
// thread's queue as kCommandMessage (lParam: a std::string* the receiver takes
// over). End of input arrives as the line "exit".
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace standin {

class CommandReader {
 public:
  static constexpr UINT kCommandMessage = WM_APP + 1;

  // Starts reading; the thread lives until the process ends (it may be blocked in a read).
  explicit CommandReader(DWORD windowThread);

  // The line carried by a kCommandMessage.
  static std::unique_ptr<std::string> Take(const MSG& message);
};

}  // namespace standin
