#include "module/Chorister.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/FakeLocator.h"
#include "tests/support/ModuleFixture.h"

#include <gtest/gtest.h>

namespace {

// A module object whose polling cycles the test runs itself, against a locator
// of fake instances: every reference can be counted.
class PollingCycle : public testing::Test {
 protected:
  void SetUp() override {
    module = Chorister::Create(23);
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override {
    Chorister::DestroyModule();
    EXPECT_EQ(FakeSnapshot::alive, 0);
  }

  Chorister* module = nullptr;
};

using PollingThread = ModuleFixture;

}  // namespace

TEST_F(PollingCycle, HandsOverEveryInstanceWithOneReferenceAndItsSnapshot) {
  FakeLocator locator(3);
  module->PollOnce(&locator);
  EXPECT_EQ(module->HandOverCount(), 1u);
  EXPECT_EQ(FakeSnapshot::alive, 3);
  for (FakeVentrilo* instance : locator.instances) {
    EXPECT_EQ(instance->snapshotsTaken, 1);
    EXPECT_EQ(instance->References(), 2);  // the locator's and the pending table's
  }
}

TEST_F(PollingCycle, ATableReplacedBeforeAnyPulseIsReleased) {
  FakeLocator locator(3);
  module->PollOnce(&locator);
  module->PollOnce(&locator);
  EXPECT_EQ(module->HandOverCount(), 2u);
  EXPECT_EQ(FakeSnapshot::alive, 3);
  for (FakeVentrilo* instance : locator.instances)
    EXPECT_EQ(instance->References(), 2);
  Chorister::DestroyModule();
  EXPECT_EQ(FakeSnapshot::alive, 0);
  for (FakeVentrilo* instance : locator.instances)
    EXPECT_EQ(instance->References(), 1);
}

TEST_F(PollingCycle, AStopDuringTheSnapshotsLeavesTheRestWithoutButInTheTable) {
  FakeLocator locator(4);
  for (FakeVentrilo* instance : locator.instances)
    instance->onSnapshot = [this] { module->PollingThread().StopThread(); };
  module->PollOnce(&locator);
  EXPECT_EQ(module->HandOverCount(), 1u);
  EXPECT_EQ(FakeSnapshot::alive, 1);
  int snapshots = 0;
  for (FakeVentrilo* instance : locator.instances) {
    snapshots += instance->snapshotsTaken;
    EXPECT_EQ(instance->References(), 2);
  }
  EXPECT_EQ(snapshots, 1);
}

TEST_F(PollingCycle, NoClientStillHandsOverAnEmptyTable) {
  FakeLocator locator(0);
  module->PollOnce(&locator);
  EXPECT_EQ(module->HandOverCount(), 1u);
}

// With real clients: the thread keeps polling, and once it is stopped and the
// module has let go of everything, no client process is held open any more.
TEST_F(PollingThread, PollsUntilShutdownAndLetsGoOfEveryClient) {
  standin::StandinClient first(standin::MakeLargeRoster(3, 1));
  standin::StandinClient second(standin::MakeLargeRoster(2, 1));
  ASSERT_TRUE(Settle());
  ASSERT_TRUE(Settle());
  EXPECT_EQ(host->FiredNamed("Ventrilo.OnInstanceOpened").size(), 2u);
  EXPECT_GT(sim::OpenHandleCount(first.ProcessId()), 0);
  module->Shutdown();
  EXPECT_FALSE(module->PollingThread().IsRunning());
  EXPECT_EQ(sim::OpenHandleCount(first.ProcessId()), 0);
  EXPECT_EQ(sim::OpenHandleCount(second.ProcessId()), 0);
}
