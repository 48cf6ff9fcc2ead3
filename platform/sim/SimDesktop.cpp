// The desktop's own controls, for the programs that run on it and for tests.
#include "platform/sim/SimDesktop.h"

#include "platform/sim/Desktop.h"
#include "platform/sim/SimThread.h"

#include <chrono>

namespace sim {
namespace {

std::shared_ptr<SimProcess> Process(DWORD processId) { return Desktop::Get().FindProcess(processId); }

// Runs `work` on the tree view under its owner's window thread lock; gives
// `fallback` when `tree` is not a live tree view.
template <class Result, class Work>
Result OnTree(HWND tree, Result fallback, Work work) {
  const auto window = Desktop::Get().FindWindow(tree);
  if (!window || !window->Tree())
    return fallback;
  WindowThread::Work held(window->Process().Thread());
  return window->IsDestroyed() ? fallback : work(*window->Tree());
}

}  // namespace

void ResetDesktop() { Desktop::Get().Reset(); }

// The name labels the process for its creator only: no call of the desktop reports it.
DWORD CreateProcess(const std::string&) { return Desktop::Get().CreateProcess(); }

void ExitProcess(DWORD processId) { Desktop::Get().ExitProcess(processId); }

bool IsProcessAlive(DWORD processId) {
  const auto process = Process(processId);
  return process && process->IsAlive();
}

DWORD WindowThreadOf(DWORD processId) {
  const auto process = Process(processId);
  return process ? process->Thread().GetID() : 0;
}

int OpenHandleCount(DWORD processId) { return Desktop::Get().OpenHandleCount(processId); }

std::uint32_t Allocate(DWORD processId, std::uint32_t size, DWORD protect, std::uint32_t preferredAddress) {
  const auto process = Process(processId);
  if (!process || !process->IsAlive())
    return 0;
  return process->Memory().Allocate(preferredAddress, size, protect);
}

bool Release(DWORD processId, std::uint32_t address) {
  const auto process = Process(processId);
  return process && process->Memory().Release(address);
}

bool Protect(DWORD processId, std::uint32_t address, std::uint32_t size, DWORD protect) {
  const auto process = Process(processId);
  return process && process->Memory().Protect(address, size, protect);
}

DWORD Protection(DWORD processId, std::uint32_t address) {
  const auto process = Process(processId);
  return process ? process->Memory().ProtectionAt(address) : 0;
}

bool Write(DWORD processId, std::uint32_t address, const void* data, std::uint32_t size) {
  const auto process = Process(processId);
  return process && process->Memory().Write(address, data, size) == AddressSpace::Access::Ok;
}

bool Read(DWORD processId, std::uint32_t address, void* data, std::uint32_t size) {
  const auto process = Process(processId);
  return process && process->Memory().Read(address, data, size) == AddressSpace::Access::Ok;
}

std::uint64_t CommittedBytes(DWORD processId) {
  const auto process = Process(processId);
  return process ? process->Memory().CommittedBytes() : 0;
}

HWND CreateWindow(DWORD processId, const std::string& className, const std::string& text, HWND parent,
                  WindowProc proc) {
  return Desktop::Get().CreateWindow(processId, className, text, parent, std::move(proc));
}

void DestroyWindow(HWND window) { Desktop::Get().DestroyWindow(window); }

void SetWindowText(HWND window, const std::string& text) {
  if (const auto found = Desktop::Get().FindWindow(window))
    found->SetText(text);
}

void SetRealClass(HWND window, const std::string& realClass) {
  if (const auto found = Desktop::Get().FindWindow(window))
    found->SetRealClass(realClass);
}

void RunOnWindowThread(DWORD processId, const std::function<void()>& work) {
  const auto process = Process(processId);
  if (!process)
    return;
  WindowThread::Work held(process->Thread());
  work();
}

void SetHung(DWORD processId, bool hung, DWORD hungForMs) {
  if (const auto process = Process(processId))
    process->Thread().SetHung(hung, std::chrono::milliseconds(hungForMs));
}

HTREEITEM TreeInsert(HWND tree, HTREEITEM parent, HTREEITEM after, const TreeItemData& item) {
  return OnTree(tree, HTREEITEM{}, [&](TreeView& view) { return view.Insert(parent, after, item); });
}

bool TreeDelete(HWND tree, HTREEITEM item) {
  return OnTree(tree, false, [&](TreeView& view) { return view.Delete(item); });
}

void TreeClear(HWND tree) {
  OnTree(tree, false, [](TreeView& view) {
    view.Clear();
    return true;
  });
}

bool TreeSet(HWND tree, HTREEITEM item, const TreeItemData& data) {
  return OnTree(tree, false, [&](TreeView& view) { return view.Set(item, data); });
}

bool TreeGet(HWND tree, HTREEITEM item, TreeItemData* data) {
  return OnTree(tree, false, [&](TreeView& view) { return view.Get(item, data); });
}

HTREEITEM TreeSelection(HWND tree) {
  return OnTree(tree, HTREEITEM{}, [](TreeView& view) { return view.Selection(); });
}

std::size_t TreeItemCount(HWND tree) {
  return OnTree(tree, std::size_t{0}, [](TreeView& view) { return view.Count(); });
}

void SetOpenProcessRefused(DWORD processId, bool refused) {
  if (const auto process = Process(processId))
    process->SetOpenRefused(refused);
}

void FailVirtualAlloc(int count) { Desktop::Get().Injected().FailVirtualAlloc(count); }

void FailCreateThread(int count) { Desktop::Get().Injected().FailCreateThread(count); }

void FailMessage(HWND window, UINT message, int count) {
  Desktop::Get().Injected().FailMessage(window, message, count);
}

void StartRecording() { Desktop::Get().Recording().Start(); }

void StopRecording() { Desktop::Get().Recording().Stop(); }

std::vector<CallRecord> TakeRecords() { return Desktop::Get().Recording().Take(); }

void SetMessageHook(MessageHook hook) { Desktop::Get().Recording().SetHook(std::move(hook)); }

std::vector<MessageBoxRecord> TakeMessageBoxes() { return Desktop::Get().Recording().TakeMessageBoxes(); }

void HoldMessageBoxes(bool hold) { Desktop::Get().Recording().HoldMessageBoxes(hold); }

bool AwaitMessageBoxes(std::size_t count, DWORD timeoutMs) {
  return Desktop::Get().Recording().AwaitMessageBoxes(
      count, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
}

bool AwaitModuleReferences(int count, DWORD timeoutMs) {
  return Desktop::Get().AwaitModuleReferences(count,
                                              std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
}

bool AwaitThreadsEnded(DWORD timeoutMs) {
  return SimThread::AwaitAllEnded(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
}

}  // namespace sim
