// What reading a whole client costs on the simulated desktop: a stand-in with
// 1,000 users in 50 channels, walked and read with the calls a reader in
// another process makes. Per item: two TVM_GETITEMA requests, each with a
// 40-byte write of the structure into the client and a read back (a 40-byte
// and a 1024-byte text read), a 156-byte record read and four string reads of
// up to 1024 bytes. The split benchmarks show where the time goes: the tree
// messages with their buffer transfers, or the record and string reads.
#include "platform/sim/SimDesktop.h"
#include "tests/support/ClientProbe.h"
#include "standin/StandinClient.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using standin::ClientProbe;

constexpr int kUsers = 1000;
constexpr int kChannels = 50;
constexpr std::size_t kItems = 1 + kChannels + kUsers;

struct Desktop {
  Desktop() {
    sim::ResetDesktop();
    client = std::make_unique<standin::StandinClient>(standin::MakeLargeRoster(kUsers, kChannels));
    probe = std::make_unique<ClientProbe>(client->ProcessId());
  }
  ~Desktop() {
    probe.reset();
    client.reset();
    sim::ResetDesktop();
  }
  std::unique_ptr<standin::StandinClient> client;
  std::unique_ptr<ClientProbe> probe;
};

void CountItems(benchmark::State& state, std::size_t itemsPerIteration) {
  state.counters["time_per_item"] =
      benchmark::Counter(static_cast<double>(itemsPerIteration),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The whole reading: caret, root, every item by TVM_GETNEXTITEM, and each item's
// messages, record and strings.
void BM_WalkAndReadTree(benchmark::State& state) {
  Desktop desktop;
  const HWND tree = desktop.client->TreeView();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ClientProbe::Next(tree, TVGN_CARET));
    const std::vector<ClientProbe::Item> items = desktop.probe->ReadTree(tree);
    if (items.size() != kItems) {
      state.SkipWithError("the tree was not read whole");
      break;
    }
  }
  CountItems(state, kItems);
  // What the client keeps per item: records, strings, the arenas' unused tail.
  state.counters["client_bytes_per_item"] =
      static_cast<double>(sim::CommittedBytes(desktop.client->ProcessId())) / static_cast<double>(kItems);
}
BENCHMARK(BM_WalkAndReadTree)->Unit(benchmark::kMillisecond);

// The tree messages alone: the walk and the two TVM_GETITEMA requests per item
// with their buffer transfers.
void BM_TreeMessages(benchmark::State& state) {
  Desktop desktop;
  const HWND tree = desktop.client->TreeView();
  std::vector<HTREEITEM> handles;
  for (const ClientProbe::Item& item : desktop.probe->ReadTree(tree))
    handles.push_back(item.handle);
  for (auto _ : state) {
    for (const HTREEITEM handle : handles) {
      ClientProbe::Item item;
      benchmark::DoNotOptimize(desktop.probe->GetItem(tree, handle, &item));
      benchmark::DoNotOptimize(ClientProbe::Next(tree, TVGN_NEXT, handle));
    }
  }
  CountItems(state, handles.size());
}
BENCHMARK(BM_TreeMessages)->Unit(benchmark::kMillisecond);

// The memory reads alone: each item's record and its four strings.
void BM_RecordReads(benchmark::State& state) {
  Desktop desktop;
  const std::vector<ClientProbe::Item> items = desktop.probe->ReadTree(desktop.client->TreeView());
  ClientProbe::Item scratch;
  for (auto _ : state) {
    for (const ClientProbe::Item& item : items) {
      scratch.record = item.record;
      benchmark::DoNotOptimize(desktop.probe->ReadRecord(&scratch));
    }
  }
  CountItems(state, items.size());
}
BENCHMARK(BM_RecordReads)->Unit(benchmark::kMillisecond);

}  // namespace

// Defined here so that the test support library's own main is not linked in.
BENCHMARK_MAIN();
