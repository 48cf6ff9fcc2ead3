// The simulated desktop's own controls: what a client program running on the
// desktop (the stand-in) and a test use to build, drive, break and observe it.
// The module never includes this header; it sees the desktop only through Win32.
//
// One desktop per process. It starts with one simulated process standing for
// the real one (the host: GetCurrentProcessId() answers its id). Every other
// process is made here. Each process has a sparse 32-bit address space of
// committed pages and one window thread; its windows' messages are handled on
// the sender's thread while that window thread's lock is held, so a client's
// state never changes under a message, and a hung window thread blocks senders.
#pragma once

#include "platform/sim/SimWin32.h"

#include <functional>
#include <string>
#include <vector>

namespace sim {

// ---------------------------------------------------------------- desktop
// Destroys every process but the host's, clears recordings, hooks, injected
// faults and message boxes. Tests call it between cases.
SIMWIN_API void ResetDesktop();

// ---------------------------------------------------------------- processes
SIMWIN_API DWORD CreateProcess(const std::string& name);
// The process ends: its windows and its memory go at once, and senders blocked
// on its window thread are released. Its id and process object stay while a
// handle to it is open (as on Windows: GetProcessId still answers, memory
// calls through the handle fail), then go. The host process never ends.
SIMWIN_API void ExitProcess(DWORD processId);
SIMWIN_API bool IsProcessAlive(DWORD processId);
SIMWIN_API DWORD WindowThreadOf(DWORD processId);
// Number of handles currently open on the process (OpenProcess minus CloseHandle).
SIMWIN_API int OpenHandleCount(DWORD processId);

// ---------------------------------------------------------------- a process's own memory
// Direct access for the process's own code (no recording, no faults). Addresses
// are 32-bit client addresses. Allocate commits whole pages on the 64 KiB
// allocation granularity, zero-filled; a preferred address is honoured when free.
SIMWIN_API std::uint32_t Allocate(DWORD processId, std::uint32_t size, DWORD protect = PAGE_READWRITE,
                                  std::uint32_t preferredAddress = 0);
SIMWIN_API bool Release(DWORD processId, std::uint32_t address);
SIMWIN_API bool Protect(DWORD processId, std::uint32_t address, std::uint32_t size, DWORD protect);
// The protection of the committed page at `address` (PAGE_GUARD included); 0 for none.
SIMWIN_API DWORD Protection(DWORD processId, std::uint32_t address);
SIMWIN_API bool Write(DWORD processId, std::uint32_t address, const void* data, std::uint32_t size);
SIMWIN_API bool Read(DWORD processId, std::uint32_t address, void* data, std::uint32_t size);
// Number of committed bytes in the process (to check that nothing leaks there).
SIMWIN_API std::uint64_t CommittedBytes(DWORD processId);

// ---------------------------------------------------------------- windows
// The window procedure of a program's own window class; standard controls have
// theirs built in. A dialog ("#32770") passes WM_NOTIFY and unknown messages to
// the procedure given here.
using WindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Creates a window owned by the process's window thread. Top-level windows
// (parent 0) go on top of the z-order. Known classes: "#32770", "Button",
// "ComboBox", "Static", "SysTreeView32"; any other class name makes a plain
// window whose messages go to `proc`.
SIMWIN_API HWND CreateWindow(DWORD processId, const std::string& className, const std::string& text,
                             HWND parent = nullptr, WindowProc proc = nullptr);
SIMWIN_API void DestroyWindow(HWND window);
SIMWIN_API void SetWindowText(HWND window, const std::string& text);
// The class that RealGetWindowClassA reports, when it differs from the class
// the window was made with (a superclassed control).
SIMWIN_API void SetRealClass(HWND window, const std::string& realClass);

// ---------------------------------------------------------------- the window thread
// Runs `work` on behalf of the process's window thread: under its lock, so that
// no message is handled meanwhile. A program changes its own state this way.
// A hang does not hold it up (the program's own code still runs), and inside
// `work` messages to the process's own windows are plain calls.
SIMWIN_API void RunOnWindowThread(DWORD processId, const std::function<void()>& work);
// A hung window thread answers no message: SendMessageA blocks until it
// recovers. `hungForMs` backdates the hang, so SMTO_ABORTIFHUNG (5 s) can be
// tested without waiting. As on Windows, a message whose SendMessageTimeoutA
// timed out stays queued and is handled late: when the hang ends (inside this
// call, if nothing else holds the thread) or before the next message.
SIMWIN_API void SetHung(DWORD processId, bool hung, DWORD hungForMs = 0);

// ---------------------------------------------------------------- tree view, from its owner's side
struct TreeItemData {
  std::string text;
  int image = 0;
  std::uint32_t lParam = 0;
};
// Insert under `parent` (TVI_ROOT for the top level) after `after` (TVI_LAST,
// TVI_FIRST or a sibling). Handles are never reused.
SIMWIN_API HTREEITEM TreeInsert(HWND tree, HTREEITEM parent, HTREEITEM after, const TreeItemData& item);
// Deletes the item and its subtree; a selected item among them leaves the tree
// without selection.
SIMWIN_API bool TreeDelete(HWND tree, HTREEITEM item);
SIMWIN_API void TreeClear(HWND tree);
SIMWIN_API bool TreeSet(HWND tree, HTREEITEM item, const TreeItemData& data);
SIMWIN_API bool TreeGet(HWND tree, HTREEITEM item, TreeItemData* data);
SIMWIN_API HTREEITEM TreeSelection(HWND tree);
SIMWIN_API std::size_t TreeItemCount(HWND tree);

// ---------------------------------------------------------------- faults
SIMWIN_API void SetOpenProcessRefused(DWORD processId, bool refused);
// The next `count` VirtualAllocEx calls (into any process) fail with ERROR_NOT_ENOUGH_MEMORY.
SIMWIN_API void FailVirtualAlloc(int count);
// The next `count` CreateThread calls fail with ERROR_NOT_ENOUGH_MEMORY.
SIMWIN_API void FailCreateThread(int count);
// The next `count` SendMessageA/SendMessageTimeoutA calls of `message` to
// `window` (any window when null) return 0 without being delivered, ever.
SIMWIN_API void FailMessage(HWND window, UINT message, int count);

// ---------------------------------------------------------------- observation
enum class Call {
  SendMessage,    // window, message, wParam, lParam, result
  ReadMemory,     // processId, address, size, ok (ReadProcessMemory)
  WriteMemory,    // processId, address, size, ok (WriteProcessMemory)
  AllocMemory,    // processId, address (0 when failed), size
  FreeMemory,     // processId, address, ok
  OpenProcess,    // processId, ok
  CloseHandle,    // processId (0 for non-process handles), ok
  GetWindowText,  // window
  GetClassName,   // window (RealGetWindowClassA and GetClassNameA)
  EnumWindows,
  EnumChildWindows,  // window
  MessageBox,
};

struct CallRecord {
  Call call;
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  DWORD processId = 0;
  std::uint32_t address = 0;
  std::uint32_t size = 0;
  bool ok = false;
};

// Recording is off until started; it records calls from every thread, in order.
SIMWIN_API void StartRecording();
SIMWIN_API void StopRecording();
SIMWIN_API std::vector<CallRecord> TakeRecords();

// Runs on the sender's thread before each message is delivered (after it was
// recorded), outside the target's window-thread lock, so it may change the
// target through RunOnWindowThread. Null removes the hook. A message that a
// window procedure sends while handling another (a tree view notifying its
// parent) is recorded after the one that caused it, and the hook runs for it
// inside that procedure. Messages to dead windows and injected failures are
// recorded but not hooked.
using MessageHook = std::function<void(const CallRecord&)>;
SIMWIN_API void SetMessageHook(MessageHook hook);

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type = 0;
};
SIMWIN_API std::vector<MessageBoxRecord> TakeMessageBoxes();
// While held, a box shown stays open and its MessageBoxA does not return, as
// with nobody at the screen; releasing dismisses every open box.
SIMWIN_API void HoldMessageBoxes(bool hold);
// Waits until `count` boxes were shown since the last TakeMessageBoxes (open
// or dismissed); false after `timeoutMs`.
SIMWIN_API bool AwaitMessageBoxes(std::size_t count, DWORD timeoutMs);
// Waits until the references on the process's loaded image taken by
// GetModuleHandleExA and not given back number `count`; false after `timeoutMs`.
SIMWIN_API bool AwaitModuleReferences(int count, DWORD timeoutMs);
// Waits until every thread made by CreateThread has ended, unwinding and all;
// false after `timeoutMs`.
SIMWIN_API bool AwaitThreadsEnded(DWORD timeoutMs);

}  // namespace sim
