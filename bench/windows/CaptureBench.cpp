// What a capture of a real Win32 client costs under Wine, per tree item, next
// to its floor: the same cross-process calls made bare, with nothing built
// from them. That is every call of a capture: each child window's WM_GETTEXT
// and RealGetWindowClassA, the walk's TVM_GETNEXTITEM messages, and per item
// two TVM_GETITEMA round trips through a structure committed in the client
// with the text, record and string reads. The floor counts its calls per item
// by kind; the library's traffic tests pin that the capture sends exactly
// these. BM_OneRequestPerItem shows what one TVM_GETITEMA per item would cost
// instead. The client is the Win32 stand-in showing a server, kChannels
// channels and kUsers users. At the end, each ratio against the floor.
//
//   capture_bench.exe <standin_client.exe> [Google Benchmark flags]
#include "libventrilo/ISnapshot.h"
#include "libventrilo/IVentrilo.h"
#include "libventrilo/IVentriloLocator.h"
#include "standin/win32/StandinProcess.h"

#include <benchmark/benchmark.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kChannels = 50;
constexpr int kUsers = 1000;
constexpr int kItems = 1 + kChannels + kUsers;
constexpr std::size_t kRecordSize = 0x9C;
constexpr std::size_t kStringOffsets[] = {0x88, 0x8C, 0x90, 0x94};

// The client under test, its tree view and buffers committed in it.
struct Client {
  DWORD processId = 0;
  HWND window = nullptr;
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
  if (owner == client.processId && GetWindowTextA(window, title, sizeof title) && std::strcmp(title, "Ventrilo") == 0) {
    client.window = window;
    EnumChildWindows(window, FindTree, 0);
  }
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

// The cross-process calls of one capture, by kind.
enum Call { kWmGetText, kRealGetWindowClass, kGetNextItem, kGetItem, kWriteMemory, kReadMemory, kCallKinds };
constexpr const char* kCallNames[kCallKinds] = {"WM_GETTEXT",   "RealGetWindowClassA", "TVM_GETNEXTITEM",
                                                "TVM_GETITEMA", "WriteProcessMemory",  "ReadProcessMemory"};
std::uint64_t calls[kCallKinds];

// Sent bounded, as the library sends every message.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &answer);
  return LRESULT(answer);
}

HTREEITEM NextItem(HTREEITEM item, WPARAM flag) {
  ++calls[kGetNextItem];
  return reinterpret_cast<HTREEITEM>(Send(client.tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(item)));
}

void Write(const TVITEMA& request) {
  ++calls[kWriteMemory];
  WriteProcessMemory(client.process, client.itemBuffer, &request, sizeof request, nullptr);
}

void Read(const void* address, void* target, std::size_t size) {
  ++calls[kReadMemory];
  ReadProcessMemory(client.process, address, target, size, nullptr);
}

LRESULT GetItem() {
  ++calls[kGetItem];
  return Send(client.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(client.itemBuffer));
}

// The record and its four strings, as the library reads them.
void ReadRecord(LPARAM address) {
  unsigned char record[kRecordSize];
  Read(reinterpret_cast<void*>(address), record, sizeof record);
  for (std::size_t offset : kStringOffsets) {
    std::uint32_t string = 0;
    std::memcpy(&string, record + offset, sizeof string);
    if (string == 0 || string == kEmptyStringAddress)
      continue;
    char text[1024];
    Read(reinterpret_cast<void*>(std::uintptr_t(string)), text, sizeof text);
  }
}

// One item as the library reads it: the text request, the image and lParam
// request, the record. Returns the image index.
int ReadItem(HTREEITEM item) {
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = client.textBuffer;
  request.cchTextMax = 4096;
  Write(request);
  if (GetItem() != 0) {
    char text[1024];
    Read(client.textBuffer, text, sizeof text);
  }
  request = TVITEMA{};
  request.mask = TVIF_IMAGE | TVIF_PARAM;
  request.hItem = item;
  Write(request);
  GetItem();
  Read(client.itemBuffer, &request, sizeof request);
  ReadRecord(request.lParam);
  return request.iImage;
}

// What the library would need with one request per item for the text, image
// and lParam together: not what it sends, measured to see what it would save.
int ReadItemOnce(HTREEITEM item) {
  TVITEMA request{};
  request.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM;
  request.hItem = item;
  request.pszText = client.textBuffer;
  request.cchTextMax = 4096;
  Write(request);
  GetItem();
  Read(client.itemBuffer, &request, sizeof request);
  char text[1024];
  Read(client.textBuffer, text, sizeof text);
  ReadRecord(request.lParam);
  return request.iImage;
}

bool IsChannelImage(int image) { return image == 1 || (image >= 4 && image <= 8); }

// The walk below the server as the capture makes it: every item read, only a
// channel's children asked for (TVGN_CHILD), then the next sibling (TVGN_NEXT).
template <int (*Reader)(HTREEITEM)>
void VisitSiblings(HTREEITEM item) {
  for (; item != nullptr; item = NextItem(item, TVGN_NEXT)) {
    if (IsChannelImage(Reader(item)))
      VisitSiblings<Reader>(NextItem(item, TVGN_CHILD));
  }
}

// Each child window's text and class, and the tree from the caret and root.
template <int (*Reader)(HTREEITEM)>
BOOL CALLBACK BareWindow(HWND window, LPARAM) {
  char text[256] = "";
  ++calls[kWmGetText];
  Send(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  char className[256] = "";
  ++calls[kRealGetWindowClass];
  RealGetWindowClassA(window, className, sizeof className);
  if (window == client.tree) {
    NextItem(nullptr, TVGN_CARET);
    HTREEITEM root = NextItem(nullptr, TVGN_ROOT);
    if (root != nullptr) {
      Reader(root);
      VisitSiblings<Reader>(NextItem(root, TVGN_NEXT));
    }
  }
  return TRUE;
}

// The floor: every cross-process call of a capture, made bare and thrown
// away, with the calls per item by kind as counters.
template <int (*Reader)(HTREEITEM)>
void BM_Bare(benchmark::State& state) {
  std::fill(std::begin(calls), std::end(calls), 0);
  for (auto _ : state)
    EnumChildWindows(client.window, BareWindow<Reader>, 0);
  PerItem(state, kItems);
  double total = 0;
  for (int kind = 0; kind < kCallKinds; ++kind) {
    const double perItem = double(calls[kind]) / double(state.iterations()) / kItems;
    state.counters[kCallNames[kind]] = perItem;
    total += perItem;
  }
  state.counters["calls"] = total;
  state.counters["items"] = kItems;
}
void BM_Floor(benchmark::State& state) { BM_Bare<ReadItem>(state); }
void BM_OneRequestPerItem(benchmark::State& state) { BM_Bare<ReadItemOnce>(state); }
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OneRequestPerItem)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the figures as usual, then each ratio against the floor.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double floor = times_["BM_Floor"];
    if (floor <= 0)
      return;
    for (const char* name : {"BM_Capture", "BM_OneRequestPerItem"}) {
      if (times_.count(name) != 0)
        std::printf("%s / BM_Floor = %.3f\n", name, times_[name] / floor);
    }
  }

 private:
  std::map<std::string, double> times_;
};

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
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  client.instance->Release();
  standin.Command("exit");
  return 0;
}
