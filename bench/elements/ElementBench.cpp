// The element model's costs: applying snapshots (unchanged, first, one move),
// the memory an element takes, and whether a churning roster leaves memory
// flat. Heap use is measured by replacing the global allocation functions.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "elements/NextElementID.h"
#include "elements/VentriloInstance.h"
#include "module/EventRegistry.h"
#include "module/ModuleGlobals.h"
#include "tests/elements/FakeSnapshot.h"
#include "tests/support/RecordingHost.h"

namespace {

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::int64_t> liveBytes{0};

void* Allocate(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  allocations.fetch_add(1, std::memory_order_relaxed);
  liveBytes.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
  return block;
}

void Free(void* block) {
  if (!block) return;
  liveBytes.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }

namespace {

constexpr int kChannels = 50;

// `users` users spread over 50 channels under one server, with the texts a
// busy server shows: every fifth user flagged and ranked, every tenth with a
// comment. Keys: server 1, channels 2.., users 1000...
void BuildRoster(FakeSnapshot& snapshot, int users, std::uint32_t firstUserKey = 1000) {
  FakeServer* server =
      snapshot.SetServer({.key = 1, .name = "Chorister Test Server", .displayText = "Chorister Test Server"});
  std::vector<FakeChannel*> channels;
  for (int c = 0; c < kChannels; ++c) {
    const std::string name = "Channel " + std::to_string(c + 1);
    channels.push_back(
        snapshot.AddChannel(server, {.key = 2 + static_cast<std::uint32_t>(c), .name = name, .displayText = name}));
  }
  for (int u = 0; u < users; ++u) {
    ItemValues user{.key = firstUserKey + static_cast<std::uint32_t>(u), .name = "User" + std::to_string(u + 1)};
    user.displayText = user.name;
    if (u % 5 == 0) {
      user.flags = 0x19;
      user.rank = "Officer";
      user.rankID = 3;
      user.displayText = "\"AM\" Officer " + user.name;
    }
    if (u % 10 == 0) {
      user.comment = "back in five minutes, do not page";
      user.commentURL = "http://example.invalid/profile";
    }
    snapshot.AddUser(channels[static_cast<std::size_t>(u % kChannels)], user);
  }
}

// An instance over a fake client, raising into `host` (or nowhere when null).
class Bench {
 public:
  explicit Bench(RecordingHost* host) {
    ModuleGlobals::Host = host;
    if (host) EventRegistry::DeclareAll(host);
    instance = new VentriloInstance(NextElementID(), nullptr, &client);
  }
  ~Bench() {
    instance->Destroy();
    ModuleGlobals::Host = nullptr;
  }
  FakeClient client;
  VentriloInstance* instance;
};

std::size_t TreeSize(const VentriloInstance* instance) {
  std::size_t count = 0;
  for (const VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext()) ++count;
  return count;
}

void SetPerElement(benchmark::State& state, std::size_t elements) {
  state.counters["per_element"] = benchmark::Counter(
      static_cast<double>(elements), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A snapshot identical to the last one: no allocation and no event.
void BM_ApplyUnchanged(benchmark::State& state) {
  RecordingHost host;
  Bench bench(&host);
  FakeSnapshot snapshot;
  BuildRoster(snapshot, static_cast<int>(state.range(0)));
  bench.instance->ApplySnapshot(&snapshot);
  host.ClearRecords();
  const std::uint64_t before = allocations.load();
  for (auto _ : state) bench.instance->ApplySnapshot(&snapshot);
  state.counters["allocations"] = static_cast<double>(allocations.load() - before);
  state.counters["events"] = static_cast<double>(host.fired.size());
  SetPerElement(state, TreeSize(bench.instance));
}
BENCHMARK(BM_ApplyUnchanged)->Arg(1000);

// The first snapshot of a connected client: every element made, every event
// raised into the recording host.
void BM_ApplyFirst(benchmark::State& state) {
  RecordingHost host;
  FakeSnapshot snapshot;
  BuildRoster(snapshot, static_cast<int>(state.range(0)));
  std::size_t elements = 0;
  std::size_t events = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto bench = std::make_unique<Bench>(&host);
    host.ClearRecords();
    state.ResumeTiming();
    bench->instance->ApplySnapshot(&snapshot);
    state.PauseTiming();
    events += host.fired.size();
    elements = TreeSize(bench->instance);
    bench.reset();
    state.ResumeTiming();
  }
  state.counters["events_per_second"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate);
  SetPerElement(state, elements);
}
BENCHMARK(BM_ApplyFirst)->Arg(1000)->Unit(benchmark::kMicrosecond);

// One user moving between two channels in each pass.
void BM_ApplyOneMove(benchmark::State& state) {
  RecordingHost host;
  Bench bench(&host);
  FakeSnapshot snapshot;
  BuildRoster(snapshot, static_cast<int>(state.range(0)));
  bench.instance->ApplySnapshot(&snapshot);
  FakeChannel* homes[2] = {static_cast<FakeChannel*>(snapshot.server->channels[0]),
                           static_cast<FakeChannel*>(snapshot.server->channels[1])};
  FakeUser* mover = static_cast<FakeUser*>(homes[0]->users.front());
  int where = 0;
  for (auto _ : state) {
    where ^= 1;
    snapshot.MoveUser(mover, homes[where]);
    bench.instance->ApplySnapshot(&snapshot);
    host.fired.clear();
  }
}
BENCHMARK(BM_ApplyOneMove)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Heap bytes per element, texts included, with no host (events cost nothing).
void BM_MemoryPerElement(benchmark::State& state) {
  FakeSnapshot snapshot;
  BuildRoster(snapshot, static_cast<int>(state.range(0)));
  double perElement = 0;
  for (auto _ : state) {
    Bench bench(nullptr);
    const std::int64_t before = liveBytes.load();
    bench.instance->ApplySnapshot(&snapshot);
    perElement = static_cast<double>(liveBytes.load() - before) / static_cast<double>(TreeSize(bench.instance));
  }
  state.counters["bytes_per_element"] = perElement;
}
BENCHMARK(BM_MemoryPerElement)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// 10,000 passes in which a tenth of 1,000 users leave and others arrive, then
// come back: the heap holds nothing beyond the live elements afterwards.
void BM_ChurnLeavesMemoryFlat(benchmark::State& state) {
  FakeSnapshot rosterA;
  FakeSnapshot rosterB;
  BuildRoster(rosterA, 1000);
  BuildRoster(rosterB, 1000, 1100);  // users 1000..1099 gone, 2000..2099 new
  std::int64_t growth = 0;
  for (auto _ : state) {
    Bench bench(nullptr);
    bench.instance->ApplySnapshot(&rosterA);
    bench.instance->ApplySnapshot(&rosterB);
    bench.instance->ApplySnapshot(&rosterA);
    const std::int64_t settled = liveBytes.load();
    for (int pass = 0; pass < 10000; pass += 2) {
      bench.instance->ApplySnapshot(&rosterB);
      bench.instance->ApplySnapshot(&rosterA);
    }
    growth = liveBytes.load() - settled;
  }
  state.counters["growth_bytes"] = static_cast<double>(growth);
}
BENCHMARK(BM_ChurnLeavesMemoryFlat)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

// Defined here so that the test support library's own main is not linked in.
BENCHMARK_MAIN();
