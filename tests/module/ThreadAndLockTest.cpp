#include "module/CWinLock.h"
#include "module/CWindowsThread.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Whether another thread can take `section` now. It blocks while the section
// is held elsewhere, so a lock left held shows as a hang (the test's timeout).
bool OtherThreadCanEnter(CRITICAL_SECTION* section) {
  bool entered = false;
  std::thread other([&] {
    EnterCriticalSection(section);
    entered = true;
    LeaveCriticalSection(section);
  });
  other.join();
  return entered;
}

class WinLock : public testing::Test {
 protected:
  void SetUp() override { InitializeCriticalSection(&section); }
  void TearDown() override { DeleteCriticalSection(&section); }
  CRITICAL_SECTION section;
};

// The thread body under test: counts its runs and ends on request.
CWindowsThread* bodyThread = nullptr;
std::atomic<int> bodyRuns{0};
std::atomic<bool> bodyEnded{false};

void Body() {
  ++bodyRuns;
  while (!bodyThread->IsStopRequested())
    Sleep(0);
  bodyEnded = true;
}

DWORD WINAPI Entry(LPVOID parameter) {
  static_cast<CWindowsThread*>(parameter)->Run(&Body);
  return 0;
}

class WindowsThread : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetDesktop();
    bodyThread = &thread;
    bodyRuns = 0;
    bodyEnded = false;
  }
  CWindowsThread thread;
};

}  // namespace

TEST_F(WinLock, HoldsTheSectionForItsScope) {
  {
    CWinLock lock(&section, true);
    EXPECT_TRUE(lock.IsLocked());
  }
  EXPECT_TRUE(OtherThreadCanEnter(&section));
  CWinLock idle(&section, false);
  EXPECT_FALSE(idle.IsLocked());
  CWinLock none(nullptr, true);
  EXPECT_FALSE(none.IsLocked());
}

TEST_F(WinLock, OneLeaveBalancesRepeatedEnters) {
  CWinLock lock(&section, false);
  lock.Enter();
  lock.Enter();
  lock.Leave();
  EXPECT_FALSE(lock.IsLocked());
  EXPECT_TRUE(OtherThreadCanEnter(&section));
  lock.Leave();
  EXPECT_TRUE(OtherThreadCanEnter(&section));
}

TEST_F(WindowsThread, StartsOnceAndStopReturnsAfterTheBodyEnded) {
  ASSERT_TRUE(thread.StartThread(&Entry, nullptr));
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_NE(thread.GetThreadID(), 0u);
  EXPECT_TRUE(thread.StartThread(&Entry, nullptr));  // already running: nothing new
  thread.StopThread();
  EXPECT_TRUE(bodyEnded);
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.GetThreadID(), 0u);
  EXPECT_EQ(bodyRuns, 1);

  bodyEnded = false;
  ASSERT_TRUE(thread.StartThread(&Entry, nullptr));  // the stop request of the last run is gone
  thread.StopThread();
  EXPECT_TRUE(bodyEnded);
  EXPECT_EQ(bodyRuns, 2);
}

TEST_F(WindowsThread, AFailedCreationReportsInsteadOfWaiting) {
  sim::FailCreateThread(1);
  EXPECT_FALSE(thread.StartThread(&Entry, nullptr));
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.GetThreadID(), 0u);
  thread.StopThread();
  EXPECT_EQ(bodyRuns, 0);
}

TEST_F(WindowsThread, DestructionStopsARunningThread) {
  auto owned = std::make_unique<CWindowsThread>();
  bodyThread = owned.get();
  ASSERT_TRUE(owned->StartThread(&Entry, nullptr));
  owned.reset();
  EXPECT_TRUE(bodyEnded);
}
