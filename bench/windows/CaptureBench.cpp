// What a capture of a real Win32 client costs under Wine, per tree item, next
// to its floor: the bare cross-process traffic that reading an item needs (two
// TVM_GETITEMA round trips through a structure committed in the client, the
// text, record and string reads). The client is the Win32 stand-in showing a
// server, kChannels channels and kUsers users.
//
//   capture_bench.exe <standin_client.exe> [Google Benchmark flags]
#include "libventrilo/ISnapshot.h"
#include "libventrilo/IVentrilo.h"
#include "libventrilo/IVentriloLocator.h"
#include "tests/windows/StandinProcess.h"

#include <benchmark/benchmark.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kChannels = 10;
constexpr int kUsers = 100;
constexpr int kItems = 1 + kChannels + kUsers;
constexpr std::size_t kRecordSize = 0x9C;
constexpr std::size_t kStringOffsets[] = {0x88, 0x8C, 0x90, 0x94};

// The client under test, its tree view and buffers committed in it.
struct Client {
  DWORD processId = 0;
  HWND tree = nullptr;
  HANDLE process = nullptr;
  char* itemBuffer = nullptr;
  char* textBuffer = nullptr;
  std::vector<HTREEITEM> items;
  IVentrilo* instance = nullptr;
};
Client client;

BOOL CALLBACK FindTree(HWND window, LPARAM) {
  char name[256] = {};
  RealGetWindowClassA(window, name, sizeof name);
  if (std::strcmp(name, "SysTreeView32") == 0)
    client.tree = window;
  return TRUE;
}

BOOL CALLBACK FindMain(HWND window, LPARAM) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char title[256] = {};
  if (owner == client.processId && GetWindowTextA(window, title, sizeof title) && std::strcmp(title, "Ventrilo") == 0)
    EnumChildWindows(window, FindTree, 0);
  return TRUE;
}

HTREEITEM Next(HTREEITEM item, WPARAM flag) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(client.tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(item)));
}

// Pre-order: every item once, as a capture visits them.
void CollectItems(HTREEITEM item) {
  for (; item != nullptr; item = Next(item, TVGN_NEXT)) {
    client.items.push_back(item);
    CollectItems(Next(item, TVGN_CHILD));
  }
}

class FirstInstance : public IVentriloEnumerator {
 public:
  int OnVentrilo(DWORD, IVentrilo* instance) override {
    instance->AddRef();
    client.instance = instance;
    return 1;
  }
};

bool Prepare(StandinProcess& standin) {
  bool ok = standin.Command("server Bench") == "ok" && standin.Command("local User1") == "ok";
  for (int c = 1; c <= kChannels; ++c)
    ok = standin.Command("channel - Channel" + std::to_string(c)) == "ok" && ok;
  for (int u = 1; u <= kUsers; ++u) {
    const std::string channel = "Channel" + std::to_string(1 + (u - 1) % kChannels);
    ok = standin.Command("user " + channel + " User" + std::to_string(u)) == "ok" && ok;
    ok = standin.Command("flags User" + std::to_string(u) + " AM") == "ok" && ok;
  }
  client.processId = standin.ProcessId();
  EnumWindows(FindMain, 0);
  client.process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, client.processId);
  if (!ok || client.tree == nullptr || client.process == nullptr)
    return false;
  client.itemBuffer = static_cast<char*>(VirtualAllocEx(client.process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  client.textBuffer = static_cast<char*>(VirtualAllocEx(client.process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  CollectItems(Next(nullptr, TVGN_ROOT));
  IVentriloLocator* locator = nullptr;
  if (GetVentriloLocator(&locator) && locator != nullptr) {
    FirstInstance first;
    locator->Enumerate(&first);
    locator->Release();
  }
  return client.instance != nullptr && client.itemBuffer != nullptr && client.textBuffer != nullptr &&
         client.items.size() == std::size_t(kItems);
}

void PerItem(benchmark::State& state, int items) {
  state.counters["per_item"] =
      benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The whole capture as the polling thread makes it.
void BM_Capture(benchmark::State& state) {
  for (auto _ : state) {
    ISnapshot* snapshot = nullptr;
    benchmark::DoNotOptimize(client.instance->TakeSnapshot(&snapshot));
    if (snapshot != nullptr)
      snapshot->Release();
  }
  PerItem(state, kItems);
}
BENCHMARK(BM_Capture)->Unit(benchmark::kMillisecond)->UseRealTime();

// The client's shared empty string: never read, as the capture does not read it.
constexpr std::uint32_t kEmptyStringAddress = 0x0053311C;

// The tree-view request as plain SendMessageA, or bounded as the library sends it.
LRESULT SendPlain(LPARAM buffer) { return SendMessageA(client.tree, TVM_GETITEMA, 0, buffer); }
LRESULT SendBounded(LPARAM buffer) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(client.tree, TVM_GETITEMA, 0, buffer, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &answer);
  return LRESULT(answer);
}

template <LRESULT (*Send)(LPARAM)>
std::uint32_t ReadItem(HTREEITEM item) {
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = client.textBuffer;
  request.cchTextMax = 4096;
  WriteProcessMemory(client.process, client.itemBuffer, &request, sizeof request, nullptr);
  Send(reinterpret_cast<LPARAM>(client.itemBuffer));
  char text[1024];
  ReadProcessMemory(client.process, client.textBuffer, text, sizeof text, nullptr);

  request = TVITEMA{};
  request.mask = TVIF_IMAGE | TVIF_PARAM;
  request.hItem = item;
  WriteProcessMemory(client.process, client.itemBuffer, &request, sizeof request, nullptr);
  Send(reinterpret_cast<LPARAM>(client.itemBuffer));
  ReadProcessMemory(client.process, client.itemBuffer, &request, sizeof request, nullptr);

  unsigned char record[kRecordSize];
  ReadProcessMemory(client.process, reinterpret_cast<void*>(request.lParam), record, sizeof record, nullptr);
  for (std::size_t offset : kStringOffsets) {
    std::uint32_t address = 0;
    std::memcpy(&address, record + offset, sizeof address);
    if (address == 0 || address == kEmptyStringAddress)
      continue;
    char string[1024];
    ReadProcessMemory(client.process, reinterpret_cast<void*>(std::uintptr_t(address)), string, sizeof string,
                      nullptr);
  }
  return std::uint32_t(request.lParam);
}

// The floor: the item requests and reads alone, over handles known beforehand;
// the requests sent plainly, or bounded as the library sends them.
template <LRESULT (*Send)(LPARAM)>
void BM_FloorItemReads(benchmark::State& state) {
  for (auto _ : state) {
    for (HTREEITEM item : client.items)
      benchmark::DoNotOptimize(ReadItem<Send>(item));
  }
  PerItem(state, kItems);
}
BENCHMARK(BM_FloorItemReads<SendPlain>)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloorItemReads<SendBounded>)->Unit(benchmark::kMillisecond)->UseRealTime();

// The walk a capture needs besides: one TVM_GETNEXTITEM per step through the tree.
void BM_FloorWalk(benchmark::State& state) {
  for (auto _ : state) {
    client.items.clear();
    CollectItems(Next(nullptr, TVGN_ROOT));
  }
  PerItem(state, kItems);
}
BENCHMARK(BM_FloorWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <standin_client.exe> [benchmark flags]\n", argv[0]);
    return 2;
  }
  StandinProcess standin(argv[1]);
  if (!standin.Ok() || !Prepare(standin)) {
    std::fprintf(stderr, "the stand-in client could not be prepared\n");
    return 1;
  }
  argv[1] = argv[0];
  int benchmarkArgc = argc - 1;
  benchmark::Initialize(&benchmarkArgc, argv + 1);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  client.instance->Release();
  standin.Command("exit");
  return 0;
}
