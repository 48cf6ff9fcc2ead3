#include "libventrilo/VentFailureBox.h"

#include "platform/Win32.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// The open box, if any. Never destroyed: a box thread may end after the
// library's static objects are gone.
struct OpenBox {
  std::mutex mutex;
  std::condition_variable closed;
  bool open = false;
  const char* text = nullptr;
  const char* caption = nullptr;
  HMODULE module = nullptr;
};

OpenBox& State() {
  static OpenBox* const state = new OpenBox;
  return *state;
}

void MarkClosed() {
  OpenBox& state = State();
  std::lock_guard lock(state.mutex);
  state.open = false;
  state.closed.notify_all();
}

DWORD WINAPI BoxThread(LPVOID) {
  OpenBox& state = State();
  MessageBoxA(nullptr, state.text, state.caption, MB_OK);
  const HMODULE module = state.module;
  MarkClosed();
  // The host may unload the module while the box is open, and this thread's
  // code lies in it: the thread holds the module loaded from Show on and lets
  // go only as it ends, in one call that does not return into the module.
  FreeLibraryAndExitThread(module, 0);
}

}  // namespace

void VentFailureBox::Show(const char* text, const char* caption) {
  OpenBox& state = State();
  HMODULE module = nullptr;
  {
    std::lock_guard lock(state.mutex);
    if (state.open ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&BoxThread), &module))
      return;
    state.open = true;
    state.text = text;
    state.caption = caption;
    state.module = module;
  }
  const HANDLE thread = CreateThread(nullptr, 0, &BoxThread, nullptr, 0, nullptr);
  if (!thread) {
    FreeLibrary(module);
    MarkClosed();
    return;
  }
  CloseHandle(thread);
}

bool VentFailureBox::AwaitClosed(unsigned timeoutMs) {
  OpenBox& state = State();
  std::unique_lock lock(state.mutex);
  return state.closed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !state.open; });
}
