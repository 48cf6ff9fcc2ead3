// The cost of capturing a busy client: a stand-in with 1,000 users in 50
// channels. BM_Capture is the library's capture; BM_BareWalk makes the same
// cross-process calls with nothing built from them, so it is what the
// simulated desktop costs, and the difference is the library's own share.
// Counters: per item, heap allocations and (through the rate) time.
#include "bench/libventrilo/AllocationCounter.h"
#include "libventrilo/ISnapshot.h"
#include "libventrilo/Ventrilo.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kUsers = 1000;
constexpr int kChannels = 50;
constexpr int kItems = 1 + kChannels + kUsers;

// The stand-in and an instance that has opened it, set up once.
struct Desktop {
  Desktop() : client((sim::ResetDesktop(), standin::MakeLargeRoster(kUsers, kChannels))) {
    instance = new Ventrilo(client.ProcessId(), client.Window());
    instance->AddRef();
    ISnapshot* snapshot = nullptr;
    if (instance->TakeSnapshot(&snapshot))
      snapshot->Release();
  }
  ~Desktop() { instance->Release(); }

  standin::StandinClient client;
  Ventrilo* instance = nullptr;
};

Desktop& TheDesktop() {
  static Desktop desktop;
  return desktop;
}

void Report(benchmark::State& state, std::uint64_t allocated) {
  const double items = static_cast<double>(state.iterations()) * kItems;
  state.SetItemsProcessed(static_cast<std::int64_t>(items));
  state.counters["allocs/item"] = static_cast<double>(allocated) / items;
}

void BM_Capture(benchmark::State& state) {
  Desktop& desktop = TheDesktop();
  std::uint64_t allocated = 0;
  for (auto _ : state) {
    const std::uint64_t before = AllocationCount();
    ISnapshot* snapshot = nullptr;
    if (!desktop.instance->TakeSnapshot(&snapshot)) {
      state.SkipWithError("capture failed");
      return;
    }
    allocated += AllocationCount() - before;
    state.PauseTiming();
    snapshot->Release();
    state.ResumeTiming();
  }
  Report(state, allocated);
}
BENCHMARK(BM_Capture)->Unit(benchmark::kMillisecond);

// The capture's calls, made with plain Win32 and thrown away.
class BareWalk {
 public:
  BareWalk(HANDLE process, HWND tree, LPVOID item, LPVOID text)
      : process_(process), tree_(tree), item_(item), text_(text) {}

  void Window(HWND window) {
    char text[256] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                        1000, &result);
    char className[256] = "";
    RealGetWindowClassA(window, className, sizeof className);
    if (window != tree_)
      return;
    Next(TVGN_CARET, nullptr);
    const HTREEITEM root = Next(TVGN_ROOT, nullptr);
    Item(root);
    Siblings(Next(TVGN_NEXT, root));
  }

 private:
  HTREEITEM Next(UINT relation, HTREEITEM from) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                        1000, &result);
    return reinterpret_cast<HTREEITEM>(result);
  }
  void Siblings(HTREEITEM item) {
    for (; item; item = Next(TVGN_NEXT, item)) {
      if (Item(item) == 1)
        Siblings(Next(TVGN_CHILD, item));
    }
  }
  void Request(TVITEMA* request) {
    WriteProcessMemory(process_, item_, request, sizeof *request, nullptr);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item_), SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000,
                        &result);
  }
  int Item(HTREEITEM handle) {
    TVITEMA request = {};
    request.mask = TVIF_TEXT;
    request.hItem = handle;
    request.pszText = reinterpret_cast<LPSTR>(text_);
    request.cchTextMax = 4096;
    Request(&request);
    char buffer[1024];
    ReadProcessMemory(process_, text_, buffer, sizeof buffer, nullptr);
    request = {};
    request.mask = TVIF_IMAGE | TVIF_PARAM;
    request.hItem = handle;
    Request(&request);
    ReadProcessMemory(process_, item_, &request, sizeof request, nullptr);
    unsigned char record[156];
    ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(static_cast<UINT_PTR>(static_cast<LPARAM>(request.lParam))),
                      record, sizeof record, nullptr);
    for (int offset = 0x88; offset <= 0x94; offset += 4) {
      std::uint32_t address = 0;
      std::memcpy(&address, record + offset, sizeof address);
      if (address != standin::kEmptyStringAddress)
        ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(static_cast<UINT_PTR>(address)), buffer, sizeof buffer,
                          nullptr);
    }
    return request.iImage;
  }

  HANDLE process_;
  HWND tree_;
  LPVOID item_;
  LPVOID text_;
};

void BM_BareWalk(benchmark::State& state) {
  Desktop& desktop = TheDesktop();
  const HANDLE process = OpenProcess(Ventrilo::kProcessAccess, FALSE, desktop.client.ProcessId());
  const LPVOID item = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  const LPVOID text = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  BareWalk walk(process, desktop.client.TreeView(), item, text);
  std::uint64_t allocated = 0;
  for (auto _ : state) {
    const std::uint64_t before = AllocationCount();
    EnumChildWindows(
        desktop.client.Window(),
        [](HWND window, LPARAM context) {
          reinterpret_cast<BareWalk*>(context)->Window(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    allocated += AllocationCount() - before;
  }
  Report(state, allocated);
  VirtualFreeEx(process, item, 0, MEM_RELEASE);
  VirtualFreeEx(process, text, 0, MEM_RELEASE);
  CloseHandle(process);
}
BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond);

}  // namespace
