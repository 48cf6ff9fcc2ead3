// The script host with the real module over stand-in clients: how many events
// per second reach Lua handlers, and how long a change in a client takes to
// reach a handler when the host pulses at its usual rate.
#include "host/program/HostSession.h"
#include "host/lua/LuaScriptHost.h"
#include "module/Chorister.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kHandOverTimeoutMs = 10000;
constexpr int kChannels = 10;

// Lua handlers on every module event, counting; with `read` each also reads
// its context's name and parent, as a roster script would.
std::string CountingScript(bool read) {
  return std::string(
             "count = 0\n"
             "for _, name in ipairs(events()) do\n"
             "  if name:match('^Ventrilo%.') then\n"
             "    on(name, function(ctx) count = count + 1") +
         (read ? "; local n, p = ctx.Name, ctx.Parent" : "") +
         " end)\n"
         "  end\n"
         "end\n";
}

// The module in this process, initialised with a Lua host whose console lines
// go to `sink`.
class LiveModule {
 public:
  explicit LiveModule(Console::Sink sink) : console_(std::move(sink)), host_(console_) {
    sim::ResetDesktop();
    module_ = static_cast<Chorister*>(CreateQSModuleInterface(kQSModuleInterfaceVersion));
    module_->Initialize(&host_);
  }
  ~LiveModule() {
    module_->Shutdown();
    Chorister::DestroyModule();
  }

  LuaScriptHost& Host() { return host_; }
  Chorister& Module() { return *module_; }
  // Waits until every change made before the call has been handed over.
  void AwaitChanges() { module_->AwaitHandOver(module_->HandOverCount() + 2, kHandOverTimeoutMs); }
  void Settle() {
    AwaitChanges();
    module_->Pulse();
  }

 private:
  Console console_;
  LuaScriptHost host_;
  Chorister* module_ = nullptr;
};

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Every user of a client changes its flags; the timed part is the pulse that
// applies the change, raising two events per user (flags and display text)
// into the handlers.
void BM_EventsIntoLuaHandlers(benchmark::State& state) {
  const int users = static_cast<int>(state.range(0));
  std::string lastLine;
  LiveModule live([&lastLine](Console::Stream, std::string_view line) { lastLine = line; });
  live.Host().RunString(CountingScript(state.range(1) != 0), "=bench");
  standin::StandinClient client(standin::MakeLargeRoster(users, kChannels));
  live.Settle();
  live.Settle();
  live.Host().RunString("count = 0", "=bench");
  bool muted = false;
  for (auto _ : state) {
    state.PauseTiming();
    muted = !muted;
    for (int u = 1; u <= users; ++u) {
      client.SetFlags("User" + std::to_string(u), muted ? "M" : "");
    }
    live.AwaitChanges();
    state.ResumeTiming();
    live.Module().Pulse();
  }
  live.Host().RunString("print(count)", "=bench");
  state.SetItemsProcessed(std::stoll(lastLine));
}
BENCHMARK(BM_EventsIntoLuaHandlers)
    ->ArgsProduct({{100, 1000}, {0, 1}})
    ->ArgNames({"users", "reads"})
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);

// The host's own part: one event with one argument into one Lua handler.
void BM_FireEventIntoLuaHandler(benchmark::State& state) {
  Console console([](Console::Stream, std::string_view) {});
  LuaScriptHost host(console);
  int event = host.DeclareEvent("Bench.OnEvent");
  host.RunString("count = 0 on('Bench.OnEvent', function(ctx, previous) count = count + previous end)", "=bench");
  const char* arguments[] = {"3"};
  ObjectRef context{nullptr, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(host.FireEvent(event, 0, 1, arguments, &context));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FireEventIntoLuaHandler);

// One expression on a live user element, from Lua, 10,000 times per
// iteration: a member read, a member read with an argument (the object's call,
// then the method syntax), a method call, and a search.
void BM_ScriptUsesElement(benchmark::State& state, const char* expression) {
  constexpr int kRepeats = 10000;
  LiveModule live([](Console::Stream, std::string_view) {});
  standin::StandinClient client(standin::MakeLargeRoster(20, 4));
  live.Settle();
  live.Settle();
  live.Host().RunString("me = Ventrilo.Instances.Me; me:SetMetadata('k', 'v')", "=bench");
  const std::string loop =
      "for _ = 1, " + std::to_string(kRepeats) + " do local x = " + expression + " end";
  for (auto _ : state) {
    live.Host().RunString(loop, "=bench");
  }
  state.SetItemsProcessed(state.iterations() * kRepeats);
}
BENCHMARK_CAPTURE(BM_ScriptUsesElement, member, "me.Name");
BENCHMARK_CAPTURE(BM_ScriptUsesElement, member_call, "me('GetMetadata', 'k')");
BENCHMARK_CAPTURE(BM_ScriptUsesElement, member_method_syntax, "me:GetMetadata('k')");
BENCHMARK_CAPTURE(BM_ScriptUsesElement, method, "me:SetMetadata('k', 'v')");
// A search over the 25 elements of the tree, each the query's subject once.
BENCHMARK_CAPTURE(BM_ScriptUsesElement, find, "me.Instance('Find', 'Name == \"User20\"')");

// 1,000 changes of a user's icon, each at a random moment, with the host
// pulsing 60 times a second as chorister-host does. Reported: the time from
// the change to the Lua handler (median, mean, worst), split at the hand-over
// that carried it into the polling part (the cycle's sleep and capture) and the
// wait for the next pulse; and the polling cycle's length (its capture is that
// less the 30 ms of sleep).
void BM_ChangeToHandlerLatency(benchmark::State& state) {
  constexpr int kChanges = 1000;
  std::vector<Clock::time_point> handled;
  LiveModule live([&handled](Console::Stream, std::string_view) { handled.push_back(Clock::now()); });
  live.Host().RunString("on('Ventrilo.OnIconChanged', function(ctx) if ctx.Name == 'Bob' then print() end end)",
                        "=bench");
  standin::Roster roster = standin::MakeLargeRoster(20, 4);
  standin::Entry bob;
  bob.name = "Bob";
  roster.users.push_back(bob);
  standin::StandinClient client(roster);
  live.Settle();
  live.Settle();
  handled.clear();

  // The time of every hand-over, from a thread that waits for each one.
  std::mutex mutex;
  std::vector<Clock::time_point> handOvers;
  bool done = false;
  std::thread watcher([&] {
    std::uint64_t seen = live.Module().HandOverCount();
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (done) {
          return;
        }
      }
      if (live.Module().AwaitHandOver(seen + 1, 100)) {
        std::lock_guard<std::mutex> lock(mutex);
        handOvers.push_back(Clock::now());
        seen = live.Module().HandOverCount();
      }
    }
  });

  std::mt19937 random(42);
  std::uniform_int_distribution<int> phase(0, 33);
  const auto tick =
      std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / HostSession::kPulsesPerSecond;
  std::vector<double> total, polling, pulseWait;
  for (auto _ : state) {
    for (int change = 0; change < kChanges; ++change) {
      std::this_thread::sleep_for(std::chrono::milliseconds(phase(random)));
      const std::size_t before = handled.size();
      const Clock::time_point changed = Clock::now();
      client.SetIcon("Bob", change % 2 == 0 ? 3 : 2);
      Clock::time_point next = Clock::now();
      while (handled.size() == before) {
        live.Module().Pulse();
        next += tick;
        std::this_thread::sleep_until(next);
      }
      const Clock::time_point ran = handled.back();
      Clock::time_point carried = changed;
      {
        std::lock_guard<std::mutex> lock(mutex);
        auto after = std::upper_bound(handOvers.begin(), handOvers.end(), ran);
        if (after != handOvers.begin()) {
          carried = *std::prev(after);
        }
      }
      total.push_back(Milliseconds(ran - changed));
      polling.push_back(Milliseconds(carried - changed));
      pulseWait.push_back(Milliseconds(ran - carried));
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  watcher.join();
  std::vector<double> cycles;
  for (std::size_t i = 1; i < handOvers.size(); ++i) {
    cycles.push_back(Milliseconds(handOvers[i] - handOvers[i - 1]));
  }
  double sum = 0;
  for (double value : total) {
    sum += value;
  }
  state.counters["median_ms"] = Median(total);
  state.counters["mean_ms"] = sum / static_cast<double>(total.size());
  state.counters["worst_ms"] = *std::max_element(total.begin(), total.end());
  state.counters["polling_median_ms"] = Median(polling);
  state.counters["pulse_wait_median_ms"] = Median(pulseWait);
  state.counters["cycle_median_ms"] = Median(cycles);
}
BENCHMARK(BM_ChangeToHandlerLatency)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
