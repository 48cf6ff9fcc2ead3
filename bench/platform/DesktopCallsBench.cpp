// What one Win32 call costs on the simulated desktop, for the calls a capture
// makes per tree item. A capture of 1,000 items must be dominated by the
// module's own work, so these should stay far below a microsecond or two.
#include "platform/Win32.h"
#include "platform/sim/SimDesktop.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct Client {
  Client() {
    sim::ResetDesktop();
    id = sim::CreateProcess("client");
    const HWND dialog = sim::CreateWindow(id, "#32770", "Ventrilo");
    tree = sim::CreateWindow(id, "SysTreeView32", "", dialog);
    for (int i = 0; i < 1000; ++i)
      last = sim::TreeInsert(tree, TVI_ROOT, TVI_LAST, {"\"AM\" Officer User" + std::to_string(i), 2, 0x10000u});
    process = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, id);
    item = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    text = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  }
  ~Client() {
    CloseHandle(process);
    sim::ResetDesktop();
  }

  DWORD id = 0;
  HWND tree = nullptr;
  HTREEITEM last = nullptr;
  HANDLE process = nullptr;
  LPVOID item = nullptr;
  LPVOID text = nullptr;
};

void BM_ReadProcessMemory1024(benchmark::State& state) {
  Client client;
  char buffer[1024];
  for (auto _ : state) {
    SIZE_T read = 0;
    benchmark::DoNotOptimize(ReadProcessMemory(client.process, client.text, buffer, sizeof buffer, &read));
  }
}
BENCHMARK(BM_ReadProcessMemory1024);

void BM_ReadProcessMemoryPartialCopy(benchmark::State& state) {
  Client client;
  char buffer[1024];
  const auto nearEnd = reinterpret_cast<LPCVOID>(reinterpret_cast<std::uintptr_t>(client.text) + 4096 - 100);
  for (auto _ : state) {
    SIZE_T read = 0;
    benchmark::DoNotOptimize(ReadProcessMemory(client.process, nearEnd, buffer, sizeof buffer, &read));
  }
}
BENCHMARK(BM_ReadProcessMemoryPartialCopy);

void BM_WriteProcessMemory40(benchmark::State& state) {
  Client client;
  TVITEMA request{};
  for (auto _ : state)
    benchmark::DoNotOptimize(WriteProcessMemory(client.process, client.item, &request, sizeof request, nullptr));
}
BENCHMARK(BM_WriteProcessMemory40);

void BM_GetNextItem(benchmark::State& state) {
  Client client;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        SendMessageA(client.tree, TVM_GETNEXTITEM, TVGN_PREVIOUS, reinterpret_cast<LPARAM>(client.last)));
}
BENCHMARK(BM_GetNextItem);

void BM_GetItemText(benchmark::State& state) {
  Client client;
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = client.last;
  request.pszText = static_cast<LPSTR>(client.text);
  request.cchTextMax = 4096;
  WriteProcessMemory(client.process, client.item, &request, sizeof request, nullptr);
  for (auto _ : state)
    benchmark::DoNotOptimize(SendMessageA(client.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(client.item)));
}
BENCHMARK(BM_GetItemText);

void BM_GetWindowText(benchmark::State& state) {
  Client client;
  char title[256];
  for (auto _ : state)
    benchmark::DoNotOptimize(GetWindowTextA(client.tree, title, sizeof title));
}
BENCHMARK(BM_GetWindowText);

}  // namespace
