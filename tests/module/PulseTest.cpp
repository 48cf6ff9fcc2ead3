#include "libventrilo/IVentriloLocator.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/ModuleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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
}

TEST_F(Pulse, ShutdownClosesTheInstancesStillAlive) {
  standin::StandinClient client(standin::MakeLargeRoster(2, 1));
  Cycle();
  Cycle();
  host->fired.clear();
  module->Shutdown();
  const std::vector<std::string> names = host->FiredNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "Ventrilo.OnInstanceClosed"), 1);
  EXPECT_GT(std::count(names.begin(), names.end(), "Ventrilo.OnLeavingInstance"), 3);
  for (const auto& event : host->fired)
    EXPECT_NE(event.context.Type, nullptr) << event.name;  // raised while the types still exist
}
