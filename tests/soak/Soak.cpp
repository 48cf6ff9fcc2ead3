// The model-based soak: the real module, without its polling thread, over two
// stand-in clients that change at random (RosterModel). Each step makes one to
// three changes, runs one polling cycle and one pulse, and then checks, for
// each client, that the element tree equals the client's roster (every
// attribute, parents, Me, Selection) and that the pass raised exactly the
// events it had to (EventAudit: ids kept for unchanged items, every leave once,
// no event naming a destroyed element). A client that exited and started again
// must have a new instance element. Now and then a handler throws, as a host
// may let a script's failure out of FireEvent. Every 1,000 changes it runs ten
// idle cycles: they must raise nothing and leave the heap where it was.
//
//     soak [--mutations N] [--seed S] [--plant-wrong-expectation]
//     soak --race [--mutations N] [--seed S]
//
// --race runs the race soak instead (RaceSoak).
//
// --plant-wrong-expectation expects a wrong comment for one user after 100
// changes, to show that a wrong tree is caught: the soak must then fail,
// naming "(planted)". Exits 0 when every check held.
#include "elements/InstanceList.h"
#include "elements/VentriloInstance.h"
#include "libventrilo/IVentrilo.h"
#include "libventrilo/IVentriloLocator.h"
#include "module/Chorister.h"
#include "hostsdk/QSModuleInterface.h"
#include "platform/sim/SimDesktop.h"
#include "tests/soak/EventAudit.h"
#include "tests/soak/HeapInUse.h"
#include "tests/soak/RaceSoak.h"
#include "tests/soak/RosterModel.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

constexpr int kIdleEvery = 1000;
constexpr int kIdleCycles = 10;
constexpr int kPlantAfter = 100;

struct Settings {
  long long mutations = 5000;
  unsigned long long seed = 1;
  bool plant = false;
  bool race = false;
};

bool Parse(int argc, char** argv, Settings* settings) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--mutations" && hasValue)
      settings->mutations = std::stoll(argv[++i]);
    else if (option == "--seed" && hasValue)
      settings->seed = std::stoull(argv[++i]);
    else if (option == "--plant-wrong-expectation")
      settings->plant = true;
    else if (option == "--race")
      settings->race = true;
    else
      return false;
  }
  return true;
}

class Soak {
 public:
  explicit Soak(const Settings& settings) : settings_(settings), random_(settings.seed), audit_(host_) {}

  int Run();

 private:
  struct Client {
    std::unique_ptr<RosterModel> model;
    VentriloInstance* instance = nullptr;
    TreeExpectation expected;
    int restarts = 0;
  };

  // Two polls: a capture that removes elements is handed over once the next
  // one agrees.
  void Cycle() {
    module_->PollOnce(locator_);
    module_->PollOnce(locator_);
    module_->Pulse();
  }
  VentriloInstance* InstanceOf(const Client& client) const;
  // One pass after the changes `what`; false when a check failed.
  bool Pass(const std::string& what);
  bool Idle();
  bool Report(const std::string& what, const std::vector<std::string>& problems) const;

  Settings settings_;
  std::mt19937_64 random_;
  RecordingHost host_;
  EventAudit audit_;
  Chorister* module_ = nullptr;
  IVentriloLocator* locator_ = nullptr;
  Client clients_[2];
  long long mutations_ = 0;
  long long passes_ = 0;
  long long throws_ = 0;
  bool planted_ = false;
};

VentriloInstance* Soak::InstanceOf(const Client& client) const {
  for (VentriloInstance* instance = InstanceList::First(); instance; instance = instance->GetNextInstance()) {
    if (instance->GetClient()->GetProcessID() == client.model->Client().ProcessId())
      return instance;
  }
  return nullptr;
}

bool Soak::Report(const std::string& what, const std::vector<std::string>& problems) const {
  if (problems.empty())
    return true;
  std::printf("soak: seed %llu, after %lld changes (%s):\n", settings_.seed, mutations_, what.c_str());
  for (const std::string& problem : problems)
    std::printf("  %s\n", problem.c_str());
  return false;
}

bool Soak::Pass(const std::string& what) {
  std::map<std::uint32_t, std::uint32_t> idsBefore[2];
  std::uint32_t instanceIDs[2];
  for (int c = 0; c < 2; ++c) {
    idsBefore[c] = TreeExpectation::IdsByKey(*clients_[c].instance);
    instanceIDs[c] = clients_[c].instance->GetID();
  }
  audit_.Begin();
  Cycle();
  ++passes_;
  std::vector<std::string> problems;
  for (int c = 0; c < 2; ++c) {
    Client& client = clients_[c];
    VentriloInstance* instance = InstanceOf(client);
    if (client.model->Restarts() != client.restarts) {
      // The new instance gets its first snapshot in the next pass.
      client.restarts = client.model->Restarts();
      // The new element may take the old one's memory: it is told by its id.
      if (!instance || instance->GetID() == instanceIDs[c])
        return Report(what, {"no new instance element for the restarted client"});
      for (std::string& problem : audit_.CheckRestart(instanceIDs[c], idsBefore[c], instance->GetID()))
        problems.push_back(std::move(problem));
      client.instance = instance;
      client.expected = TreeExpectation{};
      continue;
    }
    if (instance != client.instance)
      return Report(what, {"the instance element was replaced"});
    TreeExpectation expected = client.model->Expect();
    if (settings_.plant && mutations_ >= kPlantAfter && !planted_) {
      for (auto& [key, element] : expected.elements) {
        if (element.kind == TreeExpectation::Kind::User) {
          element.values.comment = "(planted)";
          planted_ = true;
          break;
        }
      }
    }
    for (std::string& problem : expected.Compare(*client.instance))
      problems.push_back(std::move(problem));
    for (std::string& problem : audit_.Check(*client.instance, client.expected, idsBefore[c], expected))
      problems.push_back(std::move(problem));
    client.expected = std::move(expected);
  }
  for (std::string& problem : audit_.Leftovers())
    problems.push_back(std::move(problem));
  host_.ClearRecords();
  return Report(what, problems);
}

bool Soak::Idle() {
  std::size_t heap[kIdleCycles];
  for (int cycle = 0; cycle < kIdleCycles; ++cycle) {
    if (!Pass("idle"))
      return false;
    heap[cycle] = HeapInUse();
  }
  // The first idle cycle may still settle what the changes left (a table
  // handed over, a buffer grown); after it nothing may grow.
  if (heap[kIdleCycles - 1] > heap[1]) {
    std::string series;
    for (const std::size_t bytes : heap)
      series += " " + std::to_string(bytes);
    return Report("idle", {"the heap grew across idle cycles, bytes in use after each:" + series});
  }
  return true;
}

int Soak::Run() {
  sim::ResetDesktop();
  // No polling thread: the soak runs each cycle itself.
  sim::FailCreateThread(1);
  module_ = static_cast<Chorister*>(CreateQSModuleInterface(kQSModuleInterfaceVersion));
  if (!module_ || !module_->Initialize(&host_) || !GetVentriloLocator(&locator_)) {
    std::printf("soak: the module did not start\n");
    return 2;
  }
  clients_[0].model = std::make_unique<RosterModel>(random_, "A");
  clients_[1].model = std::make_unique<RosterModel>(random_, "B");
  Cycle();  // opens the instances
  for (Client& client : clients_) {
    client.instance = InstanceOf(client);
    if (!client.instance) {
      std::printf("soak: no instance element for a client\n");
      return 2;
    }
  }
  audit_.next = [this](const RecordingHost::FiredEvent&) {
    if (std::uniform_int_distribution(0, 49)(random_) != 0)
      return;
    ++throws_;
    throw std::runtime_error("a script failed");
  };
  const auto start = std::chrono::steady_clock::now();
  bool held = true;
  while (held && mutations_ < settings_.mutations) {
    const long long idleBefore = mutations_ / kIdleEvery;
    std::string what;
    for (int n = std::uniform_int_distribution(1, 3)(random_); n > 0 && mutations_ < settings_.mutations; --n) {
      Client& client = clients_[std::uniform_int_distribution(0, 1)(random_)];
      what += (what.empty() ? "" : "; ") + client.model->Mutate();
      ++mutations_;
    }
    held = Pass(what) && (mutations_ / kIdleEvery == idleBefore || Idle());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("soak: %lld changes in %lld passes over 2 clients (%d restarts), %zu events (%lld thrown at), %.1f s "
              "(%.0f changes/s)%s\n",
              mutations_, passes_, clients_[0].restarts + clients_[1].restarts, audit_.EventCount(), throws_, seconds,
              mutations_ / seconds, held ? "" : ": FAILED");
  locator_->Release();
  module_->Shutdown();
  Chorister::DestroyModule();
  for (Client& client : clients_)
    client.model.reset();
  sim::ResetDesktop();
  return held ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!Parse(argc, argv, &settings)) {
    std::printf("usage: soak [--race] [--mutations N] [--seed S] [--plant-wrong-expectation]\n");
    return 2;
  }
  if (settings.race)
    return RaceSoak(settings.mutations, settings.seed).Run();
  return Soak(settings).Run();
}
