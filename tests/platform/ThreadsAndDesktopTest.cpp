// Threads, critical sections and message boxes as the module's frame uses
// them, and the desktop's reset between tests.
#include "platform/Win32.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class Threads : public testing::Test {
 protected:
  void SetUp() override { sim::ResetDesktop(); }
  void TearDown() override { sim::ResetDesktop(); }
};

struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  DWORD seenId = 0;

  void Open() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  // Run by the thread: waits for the gate, then reports its id.
  void Pass() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return open; });
    seenId = GetCurrentThreadId();
    changed.notify_all();
  }
  DWORD AwaitPassed() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return seenId != 0; });
    return seenId;
  }
};

DWORD WINAPI WaitAtGate(LPVOID parameter) {
  static_cast<Gate*>(parameter)->Pass();
  return 0;
}

TEST_F(Threads, CreateThread_HandleIsWaitableAndClosingDoesNotWait) {
  Gate gate;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  gate.Open();
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(gate.AwaitPassed(), id) << "the thread sees the id CreateThread reported";
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);

  Gate second;
  thread = CreateThread(nullptr, 0, WaitAtGate, &second, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(CloseHandle(thread)) << "returns while the thread still waits";
  second.Open();
  second.AwaitPassed();
}

TEST_F(Threads, CreateThread_InjectedFailureAndNoTermination) {
  Gate gate;
  sim::FailCreateThread(1);
  DWORD id = 123;
  EXPECT_EQ(CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(id, 123u);

  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_FALSE(TerminateThread(thread, 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  gate.Open();
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
}

TEST_F(Threads, CriticalSection_ReentrantForItsOwnerOnly) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  std::atomic<bool> entered{false};
  std::thread other([&] {
    EnterCriticalSection(&section);
    entered = true;
    LeaveCriticalSection(&section);
  });
  LeaveCriticalSection(&section);
  EXPECT_FALSE(entered) << "one leave per enter";
  LeaveCriticalSection(&section);
  other.join();
  EXPECT_TRUE(entered);
  DeleteCriticalSection(&section);
  EXPECT_EQ(section.Lock, nullptr);
}

TEST_F(Threads, MessageBox_IsRecordedAndDismissedWithOk) {
  EXPECT_EQ(MessageBoxA(nullptr, "Treeview_GetItem failed", "error", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
  const auto boxes = sim::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Treeview_GetItem failed");
  EXPECT_EQ(boxes[0].caption, "error");
  EXPECT_EQ(boxes[1].caption, "Error") << "Windows' caption when none is given";
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());
}

using Desktop = Threads;

TEST_F(Desktop, Reset_StartsAfreshButKeepsTheHost) {
  const DWORD client = sim::CreateProcess("client");
  const HWND window = sim::CreateWindow(client, "#32770", "Ventrilo");
  const HWND own = sim::CreateWindow(GetCurrentProcessId(), "#32770", "Ventrilo");
  sim::FailVirtualAlloc(5);
  sim::StartRecording();
  MessageBoxA(nullptr, "x", "y", MB_OK);
  sim::SetHung(GetCurrentProcessId(), true);

  sim::ResetDesktop();
  EXPECT_FALSE(sim::IsProcessAlive(client));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(own));
  EXPECT_TRUE(sim::IsProcessAlive(GetCurrentProcessId()));
  EXPECT_TRUE(sim::TakeRecords().empty());
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());
  HANDLE self = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, GetCurrentProcessId());
  EXPECT_NE(VirtualAllocEx(self, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  CloseHandle(self);
  const HWND fresh = sim::CreateWindow(GetCurrentProcessId(), "Static", "text");
  DWORD_PTR length = 0;
  EXPECT_NE(SendMessageTimeoutA(fresh, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length), 0);
  EXPECT_EQ(length, 4u);
}

}  // namespace
