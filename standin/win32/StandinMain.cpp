// The stand-in Ventrilo client as a Win32 program: its main window shows what a
// reader of the real client relies on, and it is driven line by line through
// standard input (see CommandInterpreter). It prints "ready" once its window
// exists, then one answer per command.
#include "standin/win32/CommandInterpreter.h"
#include "standin/win32/CommandReader.h"
#include "standin/win32/RecordBook.h"
#include "standin/win32/StandinWindow.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

void Answer(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  standin::RecordBook records;
  if (!records.Ok()) {
    Answer("error no memory below 4 GiB (or the empty-string page is taken)");
    return 1;
  }
  standin::StandinWindow window(records);
  if (!window.Handle()) {
    Answer("error no window");
    return 1;
  }
  standin::CommandInterpreter interpreter(window);
  standin::CommandReader reader(GetCurrentThreadId());
  Answer("ready");

  MSG message;
  while (!interpreter.ExitRequested() && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!message.hwnd && message.message == standin::CommandReader::kCommandMessage) {
      Answer(interpreter.Execute(*standin::CommandReader::Take(message)));
      continue;
    }
    if (!IsDialogMessageA(window.Handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return 0;
}
