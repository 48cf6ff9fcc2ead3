// How messages travel: on the sender's thread under the target's window
// thread lock, blocked by a hang, bounded by SendMessageTimeoutA, failed on
// request, recorded and hooked.
#include "platform/Win32.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace {

constexpr UINT kPing = WM_USER + 1;

class Messages : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetDesktop();
    client = sim::CreateProcess("client");
    window = sim::CreateWindow(client, "Pinger", "Ventrilo", nullptr,
                               [this](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
                                 if (message != kPing)
                                   return 0;
                                 ++handled;
                                 seen.push_back(wParam);
                                 return static_cast<LRESULT>(wParam) + 1;
                               });
  }
  void TearDown() override {
    sim::SetMessageHook(nullptr);
    sim::ResetDesktop();
  }

  // Starts a plain send on another thread and returns once that send has been
  // recorded and is about to wait for the target's thread.
  std::future<LRESULT> SendFromAnotherThread(WPARAM value) {
    auto reached = std::make_shared<std::promise<void>>();
    sim::SetMessageHook([reached](const sim::CallRecord&) { reached->set_value(); });
    auto answer = std::async(std::launch::async, [this, value] { return SendMessageA(window, kPing, value, 0); });
    reached->get_future().wait();
    sim::SetMessageHook(nullptr);
    return answer;
  }

  LRESULT SendBounded(UINT flags, UINT timeoutMs, DWORD_PTR* result) {
    return SendMessageTimeoutA(window, kPing, 1, 0, flags, timeoutMs, result);
  }

  DWORD client = 0;
  HWND window = nullptr;
  std::atomic<int> handled{0};
  // The wParam of each ping handled, in order (the window thread lock orders them).
  std::vector<WPARAM> seen;
};

// A timed-out send is not withdrawn: the thread handles it when it wakes,
// before the senders still waiting.
TEST_F(Messages, Hang_BlocksPlainSendsUntilTheThreadRecoversAndTimedOutOnesComeLate) {
  sim::SetHung(client, true);
  DWORD_PTR result = 0;
  SetLastError(0);
  EXPECT_EQ(SendBounded(SMTO_NORMAL, 20, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  std::future<LRESULT> answer = SendFromAnotherThread(41);
  EXPECT_EQ(handled, 0);

  sim::SetHung(client, false);
  EXPECT_EQ(answer.get(), 42);
  EXPECT_NE(SendBounded(SMTO_NORMAL, 1000, &result), 0);
  EXPECT_EQ(result, 2u);
  EXPECT_EQ(seen, (std::vector<WPARAM>{1, 41, 1}));
}

TEST_F(Messages, Hang_AbortIfHungGivesUpAtOnceAfterFiveSeconds) {
  DWORD_PTR result = 99;
  sim::SetHung(client, true, 5000);
  SetLastError(0);
  EXPECT_EQ(SendBounded(SMTO_ABORTIFHUNG, INFINITE, &result), 0) << "would block for ever without the abort";
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(result, 99u);

  sim::SetHung(client, true);
  EXPECT_EQ(SendBounded(SMTO_ABORTIFHUNG, 20, &result), 0) << "a fresh hang waits for the bound";
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(handled, 0);

  // Only the send that waited was queued; the one given up at once never was.
  sim::SetHung(client, false);
  EXPECT_EQ(handled, 1);
}

TEST_F(Messages, Hang_EndOfTheProcessReleasesBlockedSendersAndDropsTimedOutOnes) {
  sim::SetHung(client, true);
  DWORD_PTR result = 0;
  EXPECT_EQ(SendBounded(SMTO_NORMAL, 20, &result), 0);
  std::future<LRESULT> answer = SendFromAnotherThread(1);
  sim::ExitProcess(client);
  EXPECT_EQ(answer.get(), 0);
  EXPECT_EQ(handled, 0);
}

TEST_F(Messages, WindowThread_OwnWorkAndMessagesNeverInterleave) {
  DWORD_PTR result = 0;
  sim::RunOnWindowThread(client, [&] {
    std::thread other(
        [&] { EXPECT_EQ(SendBounded(SMTO_NORMAL, 20, &result), 0) << "the program is busy with its own work"; });
    other.join();
    sim::SetHung(client, true);
    EXPECT_EQ(SendMessageA(window, kPing, 1, 0), 2) << "the window thread's own sends are plain calls";
  });
  sim::SetHung(client, false);
  EXPECT_NE(SendBounded(SMTO_NORMAL, 1000, &result), 0);
}

TEST_F(Messages, FailMessage_DropsTheNextMessagesOfThatKind) {
  sim::FailMessage(window, kPing, 2);
  EXPECT_EQ(SendMessageA(window, kPing, 1, 0), 0);
  DWORD_PTR result = 0;
  EXPECT_EQ(SendBounded(SMTO_NORMAL, 1000, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 8) << "other messages pass";
  EXPECT_EQ(SendMessageA(window, kPing, 1, 0), 2);
  EXPECT_EQ(handled, 1);

  const HWND other = sim::CreateWindow(client, "Static", "x");
  sim::FailMessage(nullptr, WM_GETTEXTLENGTH, 1);
  EXPECT_EQ(SendMessageA(other, WM_GETTEXTLENGTH, 0, 0), 0) << "null stands for any window";
  EXPECT_EQ(SendMessageA(other, WM_GETTEXTLENGTH, 0, 0), 1);
}

TEST_F(Messages, Recording_KeepsEveryCallInOrderWithResults) {
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client);
  sim::StartRecording();
  SendMessageA(window, kPing, 7, 9);
  LPVOID block = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  char byte = 0;
  ReadProcessMemory(process, block, &byte, 1, nullptr);
  WriteProcessMemory(process, block, &byte, 1, nullptr);
  VirtualFreeEx(process, block, 0, MEM_RELEASE);
  CloseHandle(process);
  MessageBoxA(nullptr, "Treeview_GetItem failed", "error", MB_OK);
  sim::StopRecording();
  SendMessageA(window, kPing, 1, 0);

  const std::vector<sim::CallRecord> records = sim::TakeRecords();
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(records[0].call, sim::Call::SendMessage);
  EXPECT_EQ(records[0].window, window);
  EXPECT_EQ(records[0].message, kPing);
  EXPECT_EQ(records[0].wParam, 7u);
  EXPECT_EQ(records[0].lParam, 9);
  EXPECT_EQ(records[0].result, 8);
  const auto address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(block));
  for (std::size_t i = 1; i <= 4; ++i) {
    EXPECT_EQ(records[i].processId, client);
    EXPECT_EQ(records[i].address, address);
  }
  EXPECT_EQ(records[1].call, sim::Call::AllocMemory);
  EXPECT_EQ(records[1].size, 4096u);
  EXPECT_EQ(records[2].call, sim::Call::ReadMemory);
  EXPECT_TRUE(records[2].ok);
  EXPECT_EQ(records[3].call, sim::Call::WriteMemory);
  EXPECT_EQ(records[4].call, sim::Call::FreeMemory);
  EXPECT_EQ(records[5].call, sim::Call::CloseHandle);
  EXPECT_EQ(records[5].processId, client);
  EXPECT_EQ(records[6].call, sim::Call::MessageBox);
  EXPECT_TRUE(sim::TakeRecords().empty());

  const std::vector<sim::MessageBoxRecord> boxes = sim::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Treeview_GetItem failed");
  EXPECT_EQ(boxes[0].caption, "error");
  EXPECT_EQ(boxes[0].type, MB_OK);
}

TEST_F(Messages, Recording_FromSeveralThreads) {
  constexpr int kEach = 200;
  sim::StartRecording();
  auto send = [this] {
    for (int i = 0; i < kEach; ++i)
      SendMessageA(window, kPing, static_cast<WPARAM>(i), 0);
  };
  std::thread first(send), second(send);
  first.join();
  second.join();
  const std::vector<sim::CallRecord> records = sim::TakeRecords();
  ASSERT_EQ(records.size(), 2u * kEach);
  for (const sim::CallRecord& record : records)
    EXPECT_EQ(record.result, static_cast<LRESULT>(record.wParam) + 1);
  EXPECT_EQ(handled, 2 * kEach);
}

TEST_F(Messages, Hook_RunsBeforeDeliveryAndMayChangeTheTarget) {
  std::vector<WPARAM> hooked;
  sim::SetMessageHook([&](const sim::CallRecord& record) {
    hooked.push_back(record.wParam);
    if (record.message == kPing && record.wParam == 2)
      sim::RunOnWindowThread(client, [&] { sim::DestroyWindow(window); });
  });
  EXPECT_EQ(SendMessageA(window, kPing, 1, 0), 2);
  EXPECT_EQ(SendMessageA(window, kPing, 2, 0), 0) << "the window died between the hook and delivery";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(hooked, (std::vector<WPARAM>{1, 2}));
  EXPECT_EQ(handled, 1);
}

}  // namespace
