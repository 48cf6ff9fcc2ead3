#include "platform/sim/Messenger.h"

#include "platform/sim/Desktop.h"

namespace sim {

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
