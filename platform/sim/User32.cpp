// The window calls of the simulated desktop: enumeration, window facts read
// without a message, message sending and message boxes.
#include "platform/sim/Desktop.h"
#include "platform/sim/Messenger.h"

#include <chrono>

using sim::Call;
using sim::Desktop;
using sim::Messenger;

namespace {

// Both enumerations work on the list taken when they start: windows made
// during the walk are not visited, windows destroyed during it are skipped.
BOOL Visit(const std::vector<HWND>& windows, WNDENUMPROC callback, LPARAM lParam) {
  const Desktop& desktop = Desktop::Get();
  for (HWND window : windows) {
    if (desktop.FindWindow(window) && !callback(window, lParam))
      return FALSE;
  }
  return TRUE;
}

std::shared_ptr<sim::SimWindow> FindOrFail(HWND window) {
  auto found = Desktop::Get().FindWindow(window);
  if (!found)
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return found;
}

UINT CopyClass(HWND window, LPSTR className, std::size_t capacity, bool real) {
  Desktop::Get().Recording().Record({.call = Call::GetClassName, .window = window});
  const auto found = FindOrFail(window);
  if (!found) {
    sim::SimWindow::CopyString({}, className, capacity);
    return 0;
  }
  return static_cast<UINT>(found->CopyClass(className, capacity, real));
}

std::size_t Capacity(int count) { return count > 0 ? static_cast<std::size_t>(count) : 0; }

}  // namespace

extern "C" {

// Top-level windows in z-order, topmost (newest) first.
BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
  Desktop& desktop = Desktop::Get();
  desktop.Recording().Record({.call = Call::EnumWindows});
  if (!callback) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Visit(desktop.TopLevelWindows(), callback, lParam);
}

// Every descendant, depth first in pre-order (a child, its children, then the
// next sibling), as Wine walks them.
BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam) {
  Desktop& desktop = Desktop::Get();
  desktop.Recording().Record({.call = Call::EnumChildWindows, .window = parent});
  if (!callback) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!FindOrFail(parent))
    return FALSE;
  return Visit(desktop.Descendants(parent), callback, lParam);
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
  const auto found = FindOrFail(window);
  if (processId)
    *processId = found ? found->ProcessID() : 0;
  return found ? found->Process().Thread().GetID() : 0;
}

// The title the system keeps for the window, read without a message: this is
// what Windows answers for a window of another process.
int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  Desktop::Get().Recording().Record({.call = Call::GetWindowText, .window = window});
  const auto found = FindOrFail(window);
  if (!found) {
    sim::SimWindow::CopyString({}, text, Capacity(maxCount));
    return 0;
  }
  return static_cast<int>(found->CopyText(text, Capacity(maxCount)));
}

// The base class of a superclassed window, else the window's own class.
UINT WINAPI RealGetWindowClassA(HWND window, LPSTR className, UINT maxCount) {
  return CopyClass(window, className, maxCount, true);
}

int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount) {
  return static_cast<int>(CopyClass(window, className, Capacity(maxCount), false));
}

BOOL WINAPI IsWindow(HWND window) { return Desktop::Get().FindWindow(window) ? TRUE : FALSE; }

HWND WINAPI GetParent(HWND window) {
  const auto found = FindOrFail(window);
  return found ? found->GetParent() : nullptr;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  Messenger::Send(window, message, wParam, lParam, std::nullopt, false, &result);
  return result;
}

LRESULT WINAPI SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                                   PDWORD_PTR result) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  LRESULT answer = 0;
  if (Messenger::Send(window, message, wParam, lParam, deadline, (flags & SMTO_ABORTIFHUNG) != 0, &answer) !=
      Messenger::Outcome::Answered)
    return 0;
  if (result)
    *result = static_cast<DWORD_PTR>(answer);
  return TRUE;
}

// Recorded and dismissed with OK, as if the user had pressed it: at once, or
// when a test stops holding boxes open. Meanwhile the calling thread waits
// inside the call, as in the box's modal loop.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  Desktop& desktop = Desktop::Get();
  desktop.Recording().Record({.call = Call::MessageBox});
  desktop.Recording().ShowMessageBox({text ? text : "", caption ? caption : "Error", type});
  return IDOK;
}

}  // extern "C"
