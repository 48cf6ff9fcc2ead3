#include "libventrilo/VentriloLocator.h"

#include "libventrilo/VentScopedLock.h"
#include "libventrilo/Ventrilo.h"

#include <cstdint>
#include <cstring>
#include <set>

namespace {

// The process-wide locator; null while none exists.
VentriloLocator* singleLocator = nullptr;

constexpr int kTextSize = 256;

// Window handles in ascending order of their 32-bit values.
struct HandleOrder {
  bool operator()(HWND a, HWND b) const {
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(a)) <
           static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(b));
  }
};
using WindowSet = std::set<HWND, HandleOrder>;

// The client's main window: a standard dialog ("#32770", by its real class)
// titled exactly "Ventrilo", in another process than this one.
BOOL CALLBACK CollectClientWindow(HWND window, LPARAM context) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId())
    return TRUE;
  char text[kTextSize] = "";
  if (GetWindowTextA(window, text, kTextSize) == 0 || std::strcmp(text, "Ventrilo") != 0)
    return TRUE;
  char className[kTextSize] = "";
  if (RealGetWindowClassA(window, className, kTextSize) == 0 || std::strcmp(className, "#32770") != 0)
    return TRUE;
  reinterpret_cast<WindowSet*>(context)->insert(window);
  return TRUE;
}

}  // namespace

bool GetVentriloLocator(IVentriloLocator** out) {
  if (!singleLocator)
    singleLocator = new VentriloLocator();
  singleLocator->AddRef();
  *out = singleLocator;
  return true;
}

VentriloLocator::VentriloLocator() = default;

VentriloLocator::~VentriloLocator() {
  for (const auto& [processId, instance] : instances_)
    instance->Release();
  if (singleLocator == this)
    singleLocator = nullptr;
}

int VentriloLocator::Enumerate(IVentriloEnumerator* enumerator) {
  VentScopedLock lock(&lock_);
  WindowSet windows;
  EnumWindows(CollectClientWindow, reinterpret_cast<LPARAM>(&windows));

  // An instance lives as long as its window: a client that re-creates its
  // main window gets a new instance in the same pass.
  for (auto entry = instances_.begin(); entry != instances_.end();) {
    if (windows.count(entry->second->GetWindow()) != 0) {
      ++entry;
      continue;
    }
    entry->second->Release();
    entry = instances_.erase(entry);
  }
  // One instance per process, bound to the lowest handle seen when the
  // process was first found.
  for (HWND window : windows) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == 0 || instances_.count(processId) != 0)
      continue;
    Ventrilo* instance = new Ventrilo(processId, window);
    instance->AddRef();
    instances_.emplace(processId, instance);
  }

  int count = 0;
  for (const auto& [processId, instance] : instances_) {
    instance->AddRef();
    ++count;
    const int answer = enumerator->OnVentrilo(processId, instance);
    instance->Release();
    if (answer == 1)
      break;
  }
  return count;
}
