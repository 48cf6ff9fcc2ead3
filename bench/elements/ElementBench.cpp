// The element model's costs: applying snapshots (unchanged, first, one move),
// each next to its floor, how they grow with the roster, the memory an element
// takes, and whether a churning roster leaves memory flat. Heap use is
// measured by replacing the global allocation functions.
//
// The rosters that grow are captured by the library from a stand-in client on
// the simulated desktop, so the passes read real snapshots; the others are
// built by hand. Every figure is CPU time, as the machine may be busy.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <tuple>

#include "elements/NextElementID.h"
#include "elements/VentriloInstance.h"
#include "libventrilo/IChannel.h"
#include "libventrilo/IServer.h"
#include "libventrilo/IUser.h"
#include "libventrilo/Ventrilo.h"
#include "tests/support/HostedElements.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/FakeSnapshot.h"
#include "tests/support/RecordingHost.h"

namespace {

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::int64_t> liveBytes{0};

void* Allocate(std::size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block)
    throw std::bad_alloc();
  allocations.fetch_add(1, std::memory_order_relaxed);
  liveBytes.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
  return block;
}

void Free(void* block) {
  if (!block)
    return;
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
  explicit Bench(ScriptHost* host) : hosted(host) {
    instance = new VentriloInstance(NextElementID(), nullptr, &client);
  }
  ~Bench() { instance->Destroy(); }
  HostedElements hosted;
  FakeClient client;
  VentriloInstance* instance;
};

std::size_t TreeSize(const VentriloInstance* instance) {
  std::size_t count = 0;
  for (const VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext())
    ++count;
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
  for (auto _ : state)
    bench.instance->ApplySnapshot(&snapshot);
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

// A host whose events only count, so that what grows with the roster is the
// module's own work and not the recording of every event.
class CountingHost final : public ScriptHost {
 public:
  bool BindGlobalObject(const char*, GlobalObjectResolver) override { return false; }
  bool UnbindGlobalObject(const char*) override { return false; }
  bool InstallType(QSTypeDefinition*) override { return false; }
  bool UninstallType(QSTypeDefinition*) override { return false; }
  QSTypeDefinition* LookupType(const char*, int, int) override { return nullptr; }
  int DeclareEvent(const char*) override { return declared++; }
  int FireEvent(int, int, int, const char* const*, ObjectRef*) override {
    ++fired;
    return 0;
  }
  void ConsoleWrite(const char*, ...) override {}
  FilterHandle ParseFilter(const char*) override { return 0; }
  bool MatchFilter(FilterHandle, ObjectRef*, unsigned char*) override { return false; }
  void ReleaseFilter(FilterHandle) override {}

  int declared = 0;
  std::size_t fired = 0;
};

// ---- Rosters captured from a stand-in client, in any name order and layout.

enum class Names { Ascending, Random };

// `users` users over `channels` channels (round robin), with the texts of
// BuildRoster. Ascending names sort in the order the client lists the users;
// random ones are the same names shuffled.
standin::Roster ScaledRoster(int users, int channels, Names order) {
  standin::Roster roster;
  roster.server.name = "Chorister Test Server";
  for (int c = 0; c < channels; ++c) {
    standin::Channel channel;
    channel.entry.name = "Channel " + std::to_string(c + 1);
    roster.channels.push_back(channel);
  }
  std::vector<int> numbers(static_cast<std::size_t>(users));
  for (int u = 0; u < users; ++u)
    numbers[static_cast<std::size_t>(u)] = u + 1;
  if (order == Names::Random)
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(17));
  for (int u = 0; u < users; ++u) {
    char name[16];
    std::snprintf(name, sizeof name, "User%05d", numbers[static_cast<std::size_t>(u)]);
    standin::Entry user;
    user.name = name;
    if (u % 5 == 0) {
      user.flags = "AM";
      user.rank = "Officer";
      user.rankID = 3;
    }
    if (u % 10 == 0) {
      user.comment = "back in five minutes, do not page";
      user.commentURL = "http://example.invalid/profile";
    }
    roster.channels[static_cast<std::size_t>(u % channels)].users.push_back(user);
  }
  roster.localUser = "User00001";
  return roster;
}

// The library's snapshot of a stand-in showing `roster`; held after the
// stand-in is gone, as a snapshot owns copies of everything it read.
ISnapshot* Capture(const standin::Roster& roster) {
  sim::ResetDesktop();
  standin::StandinClient client(roster);
  auto* instance = new Ventrilo(client.ProcessId(), client.Window());
  instance->AddRef();
  ISnapshot* snapshot = nullptr;
  if (!instance->TakeSnapshot(&snapshot))
    snapshot = nullptr;
  instance->Release();
  return snapshot;
}

// One capture per roster shape for the whole run.
ISnapshot* CapturedRoster(int users, int channels, Names order) {
  static std::map<std::tuple<int, int, Names>, ISnapshot*> captured;
  ISnapshot*& snapshot = captured[{users, channels, order}];
  if (!snapshot)
    snapshot = Capture(ScaledRoster(users, channels, order));
  return snapshot;
}

ISnapshot* SnapshotFor(benchmark::State& state, Names order) {
  ISnapshot* snapshot = CapturedRoster(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), order);
  if (!snapshot)
    state.SkipWithError("capture failed");
  return snapshot;
}

// The unchanged pass over a captured roster: no allocation and no event.
template <Names order>
void BM_UnchangedPass(benchmark::State& state) {
  ISnapshot* snapshot = SnapshotFor(state, order);
  if (!snapshot)
    return;
  CountingHost host;
  Bench bench(&host);
  bench.instance->ApplySnapshot(snapshot);
  host.fired = 0;
  const std::uint64_t before = allocations.load();
  for (auto _ : state)
    bench.instance->ApplySnapshot(snapshot);
  state.counters["allocations"] = static_cast<double>(allocations.load() - before);
  state.counters["events"] = static_cast<double>(host.fired);
  SetPerElement(state, TreeSize(bench.instance));
}
// Users / channels of the scaling rows: 50 channels from 1,000 to 30,000
// users, and one channel at both ends.
void RosterShapes(benchmark::internal::Benchmark* bench) {
  for (int users : {1000, 3000, 10000, 30000})
    bench->Args({users, 50});
  bench->Args({1000, 1})->Args({30000, 1});
}
BENCHMARK(BM_UnchangedPass<Names::Ascending>)->Args({1000, 50});
BENCHMARK(BM_UnchangedPass<Names::Random>)->Apply(RosterShapes);

// The first pass over a captured roster: every element made, every event
// raised (into a host that counts them).
template <Names order>
void BM_FirstPass(benchmark::State& state) {
  ISnapshot* snapshot = SnapshotFor(state, order);
  if (!snapshot)
    return;
  CountingHost host;
  std::size_t elements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto bench = std::make_unique<Bench>(&host);
    state.ResumeTiming();
    bench->instance->ApplySnapshot(snapshot);
    state.PauseTiming();
    elements = TreeSize(bench->instance);
    bench.reset();
    state.ResumeTiming();
  }
  SetPerElement(state, elements);
}
BENCHMARK(BM_FirstPass<Names::Ascending>)->Apply(RosterShapes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPass<Names::Random>)->Apply(RosterShapes)->Unit(benchmark::kMillisecond);

// ---- The floor of an unchanged pass: for every item, find its element in a
// std::map by key and compare the nine attributes, over the same elements and
// the same snapshot.

// An item's values as the snapshot holds them: texts point into the item.
struct FlatItem {
  std::uint32_t key;
  int iconID;
  std::uint32_t rankID;
  std::uint32_t flags;
  std::string_view texts[6];
};

// The items of a snapshot in the order a pass visits them.
class ItemCollector : public IUserEnumerator, public IChannelEnumerator {
 public:
  template <class Item>
  void Collect(Item* item) {
    items.push_back(item);
    item->EnumerateUsers(this);
    item->EnumerateChannels(this);
  }
  int OnUser(const char*, IUser* user) override {
    items.push_back(user);
    return 0;
  }
  int OnChannel(const char*, IChannel* channel) override {
    Collect(channel);
    return 0;
  }
  std::vector<ITreeItem*> items;
};

bool Equal(const std::string& field, std::string_view text) {
  return field.size() == text.size() && std::memcmp(field.data(), text.data(), text.size()) == 0;
}
bool Equal(const std::string& field, const char* text) { return field == text; }

// Nine compares; they all hold in an unchanged pass.
template <class Text>
bool Unchanged(const VentriloElement* e, int iconID, std::uint32_t rankID, std::uint32_t flags, const Text* texts) {
  return e->GetIconID() == iconID && Equal(e->GetName(), texts[0]) && Equal(e->GetPronunciation(), texts[1]) &&
         Equal(e->GetComment(), texts[2]) && Equal(e->GetCommentURL(), texts[3]) && e->GetRankID() == rankID &&
         Equal(e->GetRank(), texts[4]) && e->GetFlags() == flags && Equal(e->GetDisplayText(), texts[5]);
}

// Through ISnapshot's items and their virtual getters (texts as C strings);
// otherwise through flat copies of the item values that point into the items.
template <bool throughInterface>
void BM_MapFloor(benchmark::State& state, Names order) {
  ISnapshot* snapshot = SnapshotFor(state, order);
  if (!snapshot)
    return;
  Bench bench(nullptr);
  bench.instance->ApplySnapshot(snapshot);
  IServer* server = nullptr;
  snapshot->GetServer(&server);
  ItemCollector collector;
  collector.Collect(server);
  std::map<std::uint32_t, const VentriloElement*> elements;
  std::vector<FlatItem> flat;
  for (ITreeItem* item : collector.items) {
    elements[item->GetRecordAddress()] = bench.instance->FindElementByKey(item->GetRecordAddress());
    flat.push_back({item->GetRecordAddress(),
                    item->GetIconID(),
                    item->GetRankID(),
                    item->GetFlags(),
                    {item->GetName(), item->GetPronunciation(), item->GetComment(), item->GetCommentURL(),
                     item->GetRank(), item->GetDisplayText()}});
  }
  std::size_t same = 0;
  for (auto _ : state) {
    if constexpr (throughInterface) {
      for (ITreeItem* item : collector.items) {
        const char* texts[6] = {item->GetName(),       item->GetPronunciation(), item->GetComment(),
                                item->GetCommentURL(), item->GetRank(),          item->GetDisplayText()};
        same += Unchanged(elements.find(item->GetRecordAddress())->second, item->GetIconID(), item->GetRankID(),
                          item->GetFlags(), texts);
      }
    } else {
      for (const FlatItem& item : flat)
        same += Unchanged(elements.find(item.key)->second, item.iconID, item.rankID, item.flags, item.texts);
    }
    benchmark::DoNotOptimize(same);
  }
  if (same != static_cast<std::size_t>(state.iterations()) * flat.size())
    state.SkipWithError("an item differs from its element");
  SetPerElement(state, flat.size());
}

void BM_MapFloorAscending(benchmark::State& state) { BM_MapFloor<false>(state, Names::Ascending); }
void BM_MapFloorRandom(benchmark::State& state) { BM_MapFloor<false>(state, Names::Random); }
void BM_InterfaceFloorAscending(benchmark::State& state) { BM_MapFloor<true>(state, Names::Ascending); }
BENCHMARK(BM_MapFloorAscending)->Args({1000, 50});
BENCHMARK(BM_InterfaceFloorAscending)->Args({1000, 50});
BENCHMARK(BM_MapFloorRandom)->Apply(RosterShapes);

}  // namespace

// Defined here so that the test support library's own main is not linked in.
BENCHMARK_MAIN();
