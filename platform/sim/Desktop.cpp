#include "platform/sim/Desktop.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <strings.h>

namespace sim {
namespace {

// Window class names compare without case on Windows; a known class is
// reported under its registered spelling.
std::string CanonicalClass(const std::string& className) {
  static constexpr std::array<const char*, 5> kKnown = {"#32770", "Button", "ComboBox", "Static", WC_TREEVIEWA};
  for (const char* known : kKnown) {
    if (strcasecmp(className.c_str(), known) == 0)
      return known;
  }
  return className;
}

}  // namespace

Desktop& Desktop::Get() {
  static Desktop* const desktop = new Desktop;
  return *desktop;
}

Desktop::Desktop() { hostId_ = CreateProcess(); }

DWORD Desktop::CreateProcess() {
  std::lock_guard lock(mutex_);
  const DWORD id = nextProcessId_;
  nextProcessId_ += 4;
  processes_.emplace(id, ProcessEntry{std::make_shared<SimProcess>(id, SimThread::NewID())});
  return id;
}

std::shared_ptr<SimProcess> Desktop::FindProcess(DWORD id) const {
  std::lock_guard lock(mutex_);
  const auto found = processes_.find(id);
  return found != processes_.end() ? found->second.process : nullptr;
}

int Desktop::OpenHandleCount(DWORD id) const {
  std::lock_guard lock(mutex_);
  const auto found = processes_.find(id);
  return found != processes_.end() ? found->second.handles : 0;
}

void Desktop::ExitProcess(DWORD id) {
  const auto process = FindProcess(id);
  if (!process || !process->IsAlive() || id == hostId_)
    return;
  {
    // The process ends between two messages, never under one.
    WindowThread::Work work(process->Thread());
    process->Exit();
  }
  std::lock_guard lock(mutex_);
  DestroyWindowsOf(id);
  const auto entry = processes_.find(id);
  if (entry != processes_.end() && entry->second.handles == 0)
    processes_.erase(entry);
}

HANDLE Desktop::AddHandle(HandleEntry entry) {
  handles_.push_back(std::move(entry));
  return reinterpret_cast<HANDLE>(kFirstHandle + 4 * (handles_.size() - 1));
}

template <class Handles>
auto* Desktop::FindHandle(Handles& handles, HANDLE handle) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  auto* entry = value >= kFirstHandle && value % 4 == 0 && (value - kFirstHandle) / 4 < handles.size()
                    ? &handles[(value - kFirstHandle) / 4]
                    : nullptr;
  return entry && entry->IsOpen() ? entry : nullptr;
}

HANDLE Desktop::OpenProcess(DWORD id) {
  std::lock_guard lock(mutex_);
  const auto found = processes_.find(id);
  if (found == processes_.end())
    return nullptr;
  ++found->second.handles;
  return AddHandle({found->second.process, nullptr});
}

std::shared_ptr<SimProcess> Desktop::ProcessOf(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  const HandleEntry* found = FindHandle(handles_, handle);
  return found ? found->process : nullptr;
}

HANDLE Desktop::AddThread(std::shared_ptr<SimThread> thread) {
  std::lock_guard lock(mutex_);
  return AddHandle({nullptr, std::move(thread)});
}

std::shared_ptr<SimThread> Desktop::ThreadOf(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  const HandleEntry* found = FindHandle(handles_, handle);
  return found ? found->thread : nullptr;
}

bool Desktop::CloseHandle(HANDLE handle, DWORD* processId) {
  std::lock_guard lock(mutex_);
  HandleEntry* found = FindHandle(handles_, handle);
  *processId = 0;
  if (!found)
    return false;
  if (const auto& process = found->process) {
    *processId = process->GetID();
    const auto entry = processes_.find(*processId);
    if (--entry->second.handles == 0 && !process->IsAlive())
      processes_.erase(entry);
  }
  *found = HandleEntry{};
  return true;
}

HWND Desktop::CreateWindow(DWORD processId, const std::string& className, const std::string& text, HWND parent,
                           WindowProc proc) {
  std::lock_guard lock(mutex_);
  const auto process = processes_.find(processId);
  if (process == processes_.end() || !process->second.process->IsAlive())
    return nullptr;
  const auto parentEntry = windows_.find(Key(parent));
  if (parent && parentEntry == windows_.end())
    return nullptr;
  const auto handle = reinterpret_cast<HWND>(nextWindow_);
  nextWindow_ += 4;
  auto window = std::make_shared<SimWindow>(handle, process->second.process, CanonicalClass(className), text, parent,
                                            std::move(proc));
  if (parent)
    parentEntry->second.children.push_back(handle);
  else
    topLevel_.push_back(handle);
  windows_.emplace(Key(handle), WindowEntry{std::move(window), {}});
  return handle;
}

void Desktop::UnlinkWindow(HWND window) {
  const auto entry = windows_.find(Key(window));
  if (entry == windows_.end())
    return;
  const HWND parent = entry->second.window->GetParent();
  const auto parentEntry = windows_.find(Key(parent));
  if (!parent)
    std::erase(topLevel_, window);
  else if (parentEntry != windows_.end())
    std::erase(parentEntry->second.children, window);
  // As DestroyWindow does, the children go before their parent.
  std::vector<HWND> subtree{window};
  for (std::size_t at = 0; at < subtree.size(); ++at) {
    const auto& children = windows_.at(Key(subtree[at])).children;
    subtree.insert(subtree.end(), children.begin(), children.end());
  }
  for (auto current = subtree.rbegin(); current != subtree.rend(); ++current) {
    const auto entry = windows_.find(Key(*current));
    entry->second.window->MarkDestroyed();
    windows_.erase(entry);
  }
}

void Desktop::DestroyWindow(HWND window) {
  std::lock_guard lock(mutex_);
  UnlinkWindow(window);
}

void Desktop::DestroyWindowsOf(DWORD processId) {
  std::vector<HWND> owned;
  for (const auto& [key, entry] : windows_) {
    if (entry.window->ProcessID() == processId)
      owned.push_back(entry.window->GetHandle());
  }
  for (HWND window : owned)
    UnlinkWindow(window);
}

std::shared_ptr<SimWindow> Desktop::FindWindow(HWND window) const {
  std::lock_guard lock(mutex_);
  const auto found = windows_.find(Key(window));
  return found != windows_.end() ? found->second.window : nullptr;
}

std::vector<HWND> Desktop::TopLevelWindows() const {
  std::lock_guard lock(mutex_);
  return {topLevel_.rbegin(), topLevel_.rend()};
}

std::vector<HWND> Desktop::Descendants(HWND window) const {
  std::lock_guard lock(mutex_);
  std::vector<HWND> found;
  const auto root = windows_.find(Key(window));
  if (root == windows_.end())
    return found;
  std::vector<HWND> pending(root->second.children.rbegin(), root->second.children.rend());
  while (!pending.empty()) {
    const HWND current = pending.back();
    pending.pop_back();
    found.push_back(current);
    const auto& children = windows_.at(Key(current)).children;
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return found;
}

void Desktop::AddModuleReference(int change) {
  std::lock_guard lock(moduleMutex_);
  moduleReferences_ += change;
  moduleChanged_.notify_all();
}

bool Desktop::AwaitModuleReferences(int count, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(moduleMutex_);
  return moduleChanged_.wait_until(lock, deadline, [&] { return moduleReferences_ == count; });
}

void Desktop::Reset() {
  std::vector<DWORD> others;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, entry] : processes_) {
      if (id != hostId_)
        others.push_back(id);
    }
  }
  for (DWORD id : others)
    ExitProcess(id);
  const auto host = FindProcess(hostId_);
  {
    std::lock_guard lock(mutex_);
    DestroyWindowsOf(hostId_);
  }
  host->Memory().Clear();
  host->Thread().SetHung(false, {});
  host->SetOpenRefused(false);
  recorder_.Reset();
  faults_.Reset();
}

}  // namespace sim
