#include "tests/windows/BoxDismisser.h"

#include <cstring>

namespace {

constexpr DWORD kLookEveryMs = 20;

}  // namespace

BoxDismisser::BoxDismisser() : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  watcher_ = std::thread([this] {
    while (WaitForSingleObject(stop_, kLookEveryMs) == WAIT_TIMEOUT)
      EnumWindows(DismissIfBox, reinterpret_cast<LPARAM>(this));
  });
}

BoxDismisser::~BoxDismisser() {
  SetEvent(stop_);
  watcher_.join();
  CloseHandle(stop_);
}

BOOL CALLBACK BoxDismisser::DismissIfBox(HWND window, LPARAM self) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char title[64] = {};
  char windowClass[64] = {};
  if (process == GetCurrentProcessId() && GetWindowTextA(window, title, sizeof title) &&
      std::strcmp(title, "error") == 0 && RealGetWindowClassA(window, windowClass, sizeof windowClass) &&
      std::strcmp(windowClass, "#32770") == 0) {
    // A message box's OK button sends IDOK to the box; the box ends its modal
    // loop. It may still be there at the next look; it counts once.
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    auto* dismisser = reinterpret_cast<BoxDismisser*>(self);
    if (window != dismisser->last_)
      dismisser->dismissed_++;
    dismisser->last_ = window;
  }
  return TRUE;
}
