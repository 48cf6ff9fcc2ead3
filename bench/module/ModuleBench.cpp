// Costs of the module frame: a pulse between hand-overs, a polling cycle's
// hand-over, and how soon the polling thread sees a stop.
#include "libventrilo/IVentriloLocator.h"
#include "module/Chorister.h"
#include "hostsdk/ScriptHost.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/FakeLocator.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// A host that serves nothing: enough for Initialize to start the thread.
class NullHost final : public ScriptHost {
 public:
  bool BindGlobalObject(const char*, GlobalObjectResolver) override { return true; }
  bool UnbindGlobalObject(const char*) override { return true; }
  bool InstallType(QSTypeDefinition*) override { return true; }
  bool UninstallType(QSTypeDefinition*) override { return true; }
  QSTypeDefinition* LookupType(const char*, int, int) override { return nullptr; }
  int DeclareEvent(const char*) override { return 0; }
  int FireEvent(int, int, int, const char* const*, ObjectRef*) override { return 0; }
  void ConsoleWrite(const char*, ...) override {}
  FilterHandle ParseFilter(const char*) override { return 0; }
  bool MatchFilter(FilterHandle, ObjectRef*, unsigned char*) override { return false; }
  void ReleaseFilter(FilterHandle) override {}
};

// The pulse between two hand-overs: one enter and one leave of the module lock.
void BM_PulseWithoutNewData(benchmark::State& state) {
  Chorister* module = Chorister::Create(23);
  for (auto _ : state)
    module->Pulse();
  Chorister::DestroyModule();
}
BENCHMARK(BM_PulseWithoutNewData);

// A cycle's bookkeeping with 10 clients whose snapshots cost nothing: collect
// the instances, build the fresh table, hand it over under the module lock
// (releasing the previous, unconsumed table).
void BM_HandOverTenClients(benchmark::State& state) {
  Chorister* module = Chorister::Create(23);
  FakeLocator locator(10);
  for (auto _ : state)
    module->PollOnce(&locator);
  Chorister::DestroyModule();
}
BENCHMARK(BM_HandOverTenClients);

// A whole cycle against 10 stand-in clients of `range(0)` users each, snapshot
// capture included.
void BM_PollCycleTenStandinClients(benchmark::State& state) {
  sim::ResetDesktop();
  std::vector<std::unique_ptr<standin::StandinClient>> clients;
  for (int i = 0; i < 10; ++i)
    clients.push_back(
        std::make_unique<standin::StandinClient>(standin::MakeLargeRoster(static_cast<int>(state.range(0)), 2)));
  IVentriloLocator* locator = nullptr;
  GetVentriloLocator(&locator);
  Chorister* module = Chorister::Create(23);
  for (auto _ : state)
    module->PollOnce(locator);
  Chorister::DestroyModule();
  locator->Release();
}
BENCHMARK(BM_PollCycleTenStandinClients)->Arg(5)->Arg(50)->Unit(benchmark::kMicrosecond);

// From a stop request to StopThread's return, with the thread somewhere in its
// cycle (no clients: almost always in one of its 10 ms pauses).
void BM_StopLatency(benchmark::State& state) {
  sim::ResetDesktop();
  NullHost host;
  for (auto _ : state) {
    state.PauseTiming();
    Chorister* module = Chorister::Create(23);
    module->Initialize(&host);
    module->AwaitHandOver(1 + static_cast<std::uint64_t>(state.iterations() % 2), 10000);
    state.ResumeTiming();
    module->PollingThread().StopThread();
    state.PauseTiming();
    module->Shutdown();
    Chorister::DestroyModule();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StopLatency)->Iterations(60)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
