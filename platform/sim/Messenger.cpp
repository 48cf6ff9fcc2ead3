#include "platform/sim/Messenger.h"

#include "platform/sim/Desktop.h"

#include <functional>
#include <memory>
#include <string>

namespace sim {
namespace {

// A timed-out message as the target handles it later. Its lParam is used as
// it was sent: for the messages that pass it unchanged (tree-view requests
// among them) that is an address in the target, so the late answer lands in
// whatever lies there by then. Text messages are marshalled by the system,
// which copies the text to a sender still waiting only: a late WM_GETTEXT
// answers into a copy that nobody reads, and WM_SETTEXT takes the text as it
// was at the send.
std::function<void()> LateDelivery(std::shared_ptr<SimWindow> target, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXT) {
    return [target, wParam] {
      std::string discarded(wParam, '\0');
      if (!target->IsDestroyed())
        target->Dispatch(WM_GETTEXT, wParam, reinterpret_cast<LPARAM>(discarded.data()));
    };
  }
  if (message == WM_SETTEXT) {
    std::string text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
    return [target, text] {
      if (!target->IsDestroyed())
        target->Dispatch(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    };
  }
  return [target, message, wParam, lParam] {
    if (!target->IsDestroyed())
      target->Dispatch(message, wParam, lParam);
  };
}

}  // namespace

Messenger::Outcome Messenger::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   std::optional<WindowThread::Clock::time_point> deadline, bool abortIfHung,
                                   LRESULT* result) {
  Desktop& desktop = Desktop::Get();
  CallRecord record{Call::SendMessage, window, message, wParam, lParam};
  const std::uint64_t ticket = desktop.Recording().Record(record);
  const auto target = desktop.FindWindow(window);
  if (!target) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return Outcome::NoWindow;
  }
  if (desktop.Injected().TakeMessageFailure(window, message)) {
    SetLastError(ERROR_TIMEOUT);
    return Outcome::Failed;
  }
  desktop.Recording().RunHook(record);
  WindowThread& thread = target->Process().Thread();
  switch (thread.Enter(deadline, abortIfHung)) {
    case WindowThread::Entry::TimedOut:
      thread.QueueLate(LateDelivery(target, message, wParam, lParam));
      SetLastError(ERROR_TIMEOUT);
      return Outcome::TimedOut;
    case WindowThread::Entry::GaveUp:
      SetLastError(ERROR_TIMEOUT);
      return Outcome::TimedOut;
    case WindowThread::Entry::Gone:
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return Outcome::NoWindow;
    case WindowThread::Entry::Entered:
      break;
  }
  // The window may have gone while the sender waited for its thread.
  const bool destroyed = target->IsDestroyed();
  if (!destroyed)
    *result = target->Dispatch(message, wParam, lParam);
  thread.Leave();
  if (destroyed) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return Outcome::NoWindow;
  }
  desktop.Recording().SetResult(ticket, *result);
  return Outcome::Answered;
}

}  // namespace sim
