#include "elements/InstanceList.h"
#include "elements/VentriloInstance.h"
#include "libventrilo/IVentriloLocator.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/FakeLocator.h"
#include "tests/support/ModuleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>
#include <thread>

namespace {

// A live module without polling thread: the test runs each polling cycle
// itself with the real locator, so it knows exactly which table a pulse applies.
class Pulse : public ModuleFixture {
 protected:
  Pulse() { withPollingThread = false; }
  void SetUp() override {
    ModuleFixture::SetUp();
    ASSERT_TRUE(GetVentriloLocator(&locator));
    host->ClearRecords();
  }
  void TearDown() override {
    locator->Release();
    ModuleFixture::TearDown();
  }

  // One cycle, then one pulse; the events that pulse raised.
  std::vector<std::string> Cycle() {
    module->PollOnce(locator);
    return PulseOnly();
  }
  std::vector<std::string> PulseOnly() {
    host->fired.clear();
    module->Pulse();
    return host->FiredNames();
  }

  // Each element of the instance's tree in pre-order, as "<id> <name>".
  static std::vector<std::string> Tree(const VentriloInstance* instance) {
    std::vector<std::string> tree;
    for (const VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext())
      tree.push_back(std::to_string(e->GetID()) + " " + e->GetName());
    return tree;
  }

  IVentriloLocator* locator = nullptr;
};

const std::vector<std::string> kNothing;

}  // namespace

TEST_F(Pulse, WithoutNewDataChangesNothing) {
  standin::StandinClient client(standin::MakeLargeRoster(2, 1));
  Cycle();
  EXPECT_EQ(PulseOnly(), kNothing);
  EXPECT_EQ(PulseOnly(), kNothing);
}

TEST_F(Pulse, ANewClientIsOpenedFirstAndAppliedWithTheNextTable) {
  standin::StandinClient client(standin::MakeLargeRoster(2, 1));
  EXPECT_EQ(Cycle(), std::vector<std::string>{"Ventrilo.OnInstanceOpened"});
  const std::vector<std::string> applied = Cycle();
  ASSERT_FALSE(applied.empty());
  EXPECT_EQ(applied.front(), "Ventrilo.OnOnline");
  EXPECT_EQ(Cycle(), kNothing);  // an unchanged client raises nothing
}

TEST_F(Pulse, AnEmptyTableClosesEveryInstanceWithItsOwnID) {
  auto first = std::make_unique<standin::StandinClient>(standin::MakeLargeRoster(1, 1));
  auto second = std::make_unique<standin::StandinClient>(standin::MakeLargeRoster(1, 1));
  Cycle();
  const auto opened = host->FiredNamed("Ventrilo.OnInstanceOpened");
  ASSERT_EQ(opened.size(), 2u);
  first.reset();
  second.reset();
  EXPECT_EQ(Cycle(), (std::vector<std::string>{"Ventrilo.OnInstanceClosed", "Ventrilo.OnInstanceClosed"}));
  std::vector<std::uintptr_t> openedIDs, closedIDs;
  for (const auto& event : opened)
    openedIDs.push_back(event.context.Data);
  for (const auto& event : host->fired)
    closedIDs.push_back(event.context.Data);
  std::sort(openedIDs.begin(), openedIDs.end());
  std::sort(closedIDs.begin(), closedIDs.end());
  EXPECT_EQ(openedIDs, closedIDs);
  EXPECT_EQ(PulseOnly(), kNothing);
}

TEST_F(Pulse, OnlyTheNewestOfTwoTablesIsApplied) {
  auto passing = std::make_unique<standin::StandinClient>(standin::MakeLargeRoster(1, 1));
  module->PollOnce(locator);
  passing.reset();
  EXPECT_EQ(Cycle(), kNothing);  // seen only in a replaced table: never an element
}

TEST_F(Pulse, AClientWithoutSnapshotKeepsItsElementUnchanged) {
  standin::StandinClient client(standin::MakeLargeRoster(2, 1));
  sim::SetOpenProcessRefused(client.ProcessId(), true);
  EXPECT_EQ(Cycle(), std::vector<std::string>{"Ventrilo.OnInstanceOpened"});
  EXPECT_EQ(Cycle(), kNothing);
  sim::SetOpenProcessRefused(client.ProcessId(), false);
  const std::vector<std::string> applied = Cycle();
  ASSERT_FALSE(applied.empty());
  EXPECT_EQ(applied.front(), "Ventrilo.OnOnline");

  // Online with a tree, then a capture fails (the client stopped answering):
  // not a disconnect, so nothing changes until a capture succeeds again.
  VentriloInstance* instance = InstanceList::First();
  const std::vector<std::string> tree = Tree(instance);
  const std::uint32_t passes = instance->GetPassNumber();
  client.Remove("User2");
  sim::SetHung(client.ProcessId(), true, 6000);
  EXPECT_EQ(Cycle(), kNothing);
  EXPECT_TRUE(instance->IsOnline());
  EXPECT_EQ(Tree(instance), tree);
  EXPECT_EQ(instance->GetPassNumber(), passes);
  EXPECT_NE(instance->GetMe(), nullptr);
  sim::SetHung(client.ProcessId(), false);
  // A capture that misses an item counts once the next cycle's agrees.
  EXPECT_EQ(Cycle(), kNothing);
  EXPECT_EQ(Cycle(), (std::vector<std::string>{"Ventrilo.OnLeavingInstance", "Ventrilo.OnLeavingParent"}));
}

TEST_F(Pulse, ShutdownDestroysTheInstancesStillAliveSilently) {
  standin::StandinClient client(standin::MakeLargeRoster(2, 1));
  Cycle();
  Cycle();
  ASSERT_GT(VentriloElement::LiveCount(), 3u);
  module->SetEventEcho(true);
  host->ClearRecords();
  module->Shutdown();
  EXPECT_EQ(host->FiredNames(), kNothing);
  EXPECT_EQ(host->Console(), kNothing);
  EXPECT_EQ(VentriloElement::LiveCount(), 0u);
  EXPECT_EQ(InstanceList::First(), nullptr);
}

// The pulse holds the module lock while handlers run: a polling cycle that
// ends meanwhile waits with its hand-over, and the pass goes on with the table
// it started with. The next pulse applies the waiting one.
TEST_F(Pulse, AHandOverDuringAHandlerWaitsForThePulseToEnd) {
  standin::StandinClient client(standin::MakeLargeRoster(2, 1));
  Cycle();
  FakeLocator others(1);
  std::promise<void> captured;
  others.instances[0]->onSnapshot = [&] { captured.set_value(); };
  std::thread cycle;
  module->PollOnce(locator);
  const std::uint64_t before = module->HandOverCount();
  host->onFire = [&](const RecordingHost::FiredEvent& event) {
    if (event.name != "Ventrilo.OnOnline")
      return 0;
    cycle = std::thread([&] { module->PollOnce(&others); });
    captured.get_future().wait();
    // Its capture is done; only the hand-over is left, and it must not happen
    // now. Ample time for it if the lock were free.
    EXPECT_FALSE(module->AwaitHandOver(before + 1, 200));
    return 0;
  };
  module->Pulse();
  host->onFire = nullptr;
  ASSERT_TRUE(cycle.joinable());
  cycle.join();
  EXPECT_EQ(module->HandOverCount(), before + 1);
  VentriloInstance* instance = InstanceList::First();
  EXPECT_TRUE(instance->CheckTree());
  EXPECT_NE(instance->GetMe(), nullptr);
  EXPECT_EQ(VentriloElement::LiveCount(), 1 + 1 + 1 + 2u);  // instance, server, channel, two users
  // The waiting table has only the fake client: the stand-in's instance closes.
  const std::vector<std::string> next = PulseOnly();
  ASSERT_FALSE(next.empty());
  EXPECT_EQ(next.front(), "Ventrilo.OnInstanceClosed");
  EXPECT_EQ(next.back(), "Ventrilo.OnInstanceOpened");
}
