// The one simulated desktop of this process: its processes, kernel handles
// and windows, plus the recorder and the injected faults. The registry lock
// guards the tables only and is never held while a window procedure, a hook
// or a thread's code runs; a caller takes a shared pointer to what it found
// and works on that. Lock order: a window thread's lock, then the registry
// lock, then any leaf lock (an address space, a window's title, the recorder).
#pragma once

#include "platform/sim/Faults.h"
#include "platform/sim/Recorder.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimThread.h"
#include "platform/sim/SimWindow.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace sim {

class Desktop {
 public:
  // Never destroyed: detached threads may still use it while the process exits.
  static Desktop& Get();

  Recorder& Recording() { return recorder_; }
  Faults& Injected() { return faults_; }
  // References on the process's loaded image taken by GetModuleHandleExA and
  // given back by FreeLibrary.
  void AddModuleReference(int change);
  // Waits until the count is `count`; false when `deadline` passed first.
  bool AwaitModuleReferences(int count, std::chrono::steady_clock::time_point deadline);

  DWORD HostProcessID() const { return hostId_; }
  DWORD CreateProcess();
  // A running process, or one that ended while a handle to it is open.
  std::shared_ptr<SimProcess> FindProcess(DWORD id) const;
  void ExitProcess(DWORD id);
  int OpenHandleCount(DWORD id) const;

  // Kernel handles: values are never reused.
  HANDLE OpenProcess(DWORD id);
  std::shared_ptr<SimProcess> ProcessOf(HANDLE handle) const;
  HANDLE AddThread(std::shared_ptr<SimThread> thread);
  std::shared_ptr<SimThread> ThreadOf(HANDLE handle) const;
  // Closes the handle; `processId` gets the process's id for a process handle, else 0.
  bool CloseHandle(HANDLE handle, DWORD* processId);

  // Windows: handles are never reused.
  HWND CreateWindow(DWORD processId, const std::string& className, const std::string& text, HWND parent,
                    WindowProc proc);
  void DestroyWindow(HWND window);
  std::shared_ptr<SimWindow> FindWindow(HWND window) const;
  // Top-level windows, topmost first.
  std::vector<HWND> TopLevelWindows() const;
  // Every descendant of `window`, depth first, parents before children.
  std::vector<HWND> Descendants(HWND window) const;

  // Ends every process but the host's, empties the host, clears recordings,
  // the hook, faults and message boxes.
  void Reset();

 private:
  struct ProcessEntry {
    std::shared_ptr<SimProcess> process;
    int handles = 0;
  };
  struct HandleEntry {
    std::shared_ptr<SimProcess> process;
    std::shared_ptr<SimThread> thread;
    bool IsOpen() const { return process || thread; }
  };
  struct WindowEntry {
    std::shared_ptr<SimWindow> window;
    std::vector<HWND> children;  // in creation order
  };

  Desktop();
  static std::uintptr_t Key(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }
  // The open handle's entry in `handles` (handles_, const or not), or null;
  // the registry lock is held.
  template <class Handles>
  static auto* FindHandle(Handles& handles, HANDLE handle);
  HANDLE AddHandle(HandleEntry entry);
  // Removes the window and its subtree from the tables; the registry lock is held.
  void UnlinkWindow(HWND window);
  void DestroyWindowsOf(DWORD processId);

  Recorder recorder_;
  Faults faults_;
  std::mutex moduleMutex_;
  std::condition_variable moduleChanged_;
  int moduleReferences_ = 0;
  DWORD hostId_ = 0;
  mutable std::mutex mutex_;
  DWORD nextProcessId_ = 1000;
  std::uintptr_t nextWindow_ = 0x00010010;
  std::unordered_map<DWORD, ProcessEntry> processes_;
  // Handle values are kFirstHandle + 4 * index and are never reused, so a
  // closed handle keeps an empty entry and a lookup is one indexing.
  static constexpr std::uintptr_t kFirstHandle = 0x100;
  std::vector<HandleEntry> handles_;
  std::unordered_map<std::uintptr_t, WindowEntry> windows_;
  std::vector<HWND> topLevel_;  // bottom first, topmost last
};

}  // namespace sim
