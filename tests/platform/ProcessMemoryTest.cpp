// Cross-process memory and process handles as the module uses them.
#include "platform/Win32.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

namespace {

class ProcessMemory : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetDesktop();
    client = sim::CreateProcess("client");
    process = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client);
    ASSERT_NE(process, nullptr);
  }
  void TearDown() override {
    CloseHandle(process);
    sim::ResetDesktop();
  }

  // Two committed read-write pages followed by an uncommitted one.
  std::uint32_t TwoPagesThenHole() {
    const std::uint32_t base = sim::Allocate(client, 0x2000);
    EXPECT_NE(base, 0u);
    return base;
  }

  LPVOID At(std::uint32_t address) { return reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(address)); }

  DWORD client = 0;
  HANDLE process = nullptr;
};

TEST_F(ProcessMemory, VirtualAllocEx_CommitsZeroFilledPagesOnTheGranularity) {
  LPVOID first = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  LPVOID second = VirtualAllocEx(process, nullptr, 10, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % 0x10000, 0u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(second) % 0x10000, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(sim::CommittedBytes(client), 2u * 4096u);

  std::array<char, 4096> bytes;
  bytes.fill('x');
  SIZE_T read = 0;
  ASSERT_TRUE(ReadProcessMemory(process, first, bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read, bytes.size());
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 4096);
}

TEST_F(ProcessMemory, VirtualAllocEx_InjectedFailureAndBadArguments) {
  sim::FailVirtualAlloc(1);
  EXPECT_EQ(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_NE(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);

  EXPECT_EQ(VirtualAllocEx(process, nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(VirtualAllocEx(nullptr, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ProcessMemory, VirtualFreeEx_NeedsSizeZeroAndTheExactBase) {
  LPVOID block = VirtualAllocEx(process, nullptr, 8192, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(block, nullptr);
  const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(block));

  EXPECT_FALSE(VirtualFreeEx(process, block, 8192, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(VirtualFreeEx(process, At(base + 0x1000), 0, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(sim::CommittedBytes(client), 8192u);

  EXPECT_TRUE(VirtualFreeEx(process, block, 0, MEM_RELEASE));
  EXPECT_EQ(sim::CommittedBytes(client), 0u);
  EXPECT_FALSE(VirtualFreeEx(process, block, 0, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(ProcessMemory, ReadProcessMemory_RangeIntoAHoleCopiesNothing) {
  const std::uint32_t base = TwoPagesThenHole();
  const char text[] = "edge";
  ASSERT_TRUE(sim::Write(client, base + 0x2000 - 4, text, 4));

  char buffer[8] = "-------";
  SIZE_T read = 77;
  EXPECT_TRUE(ReadProcessMemory(process, At(base + 0x2000 - 4), buffer, 4, &read));
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(std::memcmp(buffer, "edge", 4), 0);

  std::memcpy(buffer, "-------", 8);
  SetLastError(0);
  EXPECT_FALSE(ReadProcessMemory(process, At(base + 0x2000 - 4), buffer, 5, &read));
  EXPECT_EQ(GetLastError(), ERROR_PARTIAL_COPY);
  EXPECT_EQ(read, 0u);
  EXPECT_STREQ(buffer, "-------");

  EXPECT_FALSE(ReadProcessMemory(process, At(0x7FFE0000), buffer, 1, &read));
  EXPECT_EQ(GetLastError(), ERROR_PARTIAL_COPY);
}

TEST_F(ProcessMemory, ReadProcessMemory_SpansPagesAndSkipsNoAccessPages) {
  const std::uint32_t base = TwoPagesThenHole();
  const char text[] = "across";
  ASSERT_TRUE(sim::Write(client, base + 0x1000 - 3, text, sizeof text));
  char buffer[sizeof text] = {};
  ASSERT_TRUE(ReadProcessMemory(process, At(base + 0x1000 - 3), buffer, sizeof buffer, nullptr));
  EXPECT_STREQ(buffer, "across");

  ASSERT_TRUE(sim::Protect(client, base + 0x1000, 0x1000, PAGE_NOACCESS));
  EXPECT_FALSE(ReadProcessMemory(process, At(base + 0x1000 - 3), buffer, sizeof buffer, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PARTIAL_COPY);
}

TEST_F(ProcessMemory, WriteProcessMemory_FirstPageDecidesTheError) {
  const std::uint32_t base = TwoPagesThenHole();
  const char text[] = "abcdefgh";
  SIZE_T written = 99;

  EXPECT_FALSE(WriteProcessMemory(process, At(base + 0x2000 - 4), text, 8, &written));
  EXPECT_EQ(GetLastError(), ERROR_PARTIAL_COPY);
  EXPECT_EQ(written, 0u);
  char check[4] = {1, 1, 1, 1};
  ASSERT_TRUE(sim::Read(client, base + 0x2000 - 4, check, 4));
  EXPECT_EQ(std::count(check, check + 4, 0), 4) << "nothing is written on failure";

  EXPECT_FALSE(WriteProcessMemory(process, At(base + 0x2000), text, 8, &written));
  EXPECT_EQ(GetLastError(), ERROR_NOACCESS);

  ASSERT_TRUE(sim::Protect(client, base, 0x1000, PAGE_READONLY));
  EXPECT_FALSE(WriteProcessMemory(process, At(base), text, 8, &written));
  EXPECT_EQ(GetLastError(), ERROR_NOACCESS);
  EXPECT_FALSE(WriteProcessMemory(process, At(base + 0x1000 - 4), text, 8, &written));
  EXPECT_EQ(GetLastError(), ERROR_NOACCESS);

  EXPECT_TRUE(WriteProcessMemory(process, At(base + 0x1000), text, 8, &written));
  EXPECT_EQ(written, 8u);
}

TEST_F(ProcessMemory, LastError_IsPerThread) {
  SetLastError(1234);
  std::thread other([] {
    SetLastError(0);
    EXPECT_FALSE(ReadProcessMemory(nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  });
  other.join();
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(ProcessMemory, Handles_OutliveTheProcessButNotItsMemory) {
  LPVOID block = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(block, nullptr);
  HANDLE second = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client);
  EXPECT_EQ(sim::OpenHandleCount(client), 2);

  sim::ExitProcess(client);
  EXPECT_FALSE(sim::IsProcessAlive(client));
  EXPECT_EQ(GetProcessId(process), client);
  char byte = 0;
  EXPECT_FALSE(ReadProcessMemory(process, block, &byte, 1, nullptr));
  EXPECT_FALSE(VirtualFreeEx(process, block, 0, MEM_RELEASE));
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);

  EXPECT_TRUE(CloseHandle(second));
  EXPECT_EQ(GetProcessId(second), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(process));
  process = nullptr;
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client), nullptr) << "the id is gone with the last handle";
}

TEST_F(ProcessMemory, OpenProcess_RefusedPerProcess) {
  const DWORD other = sim::CreateProcess("other");
  sim::SetOpenProcessRefused(client, true);
  EXPECT_EQ(OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE allowed = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, other);
  EXPECT_NE(allowed, nullptr);
  CloseHandle(allowed);
  EXPECT_NE(GetCurrentProcessId(), client);
  EXPECT_TRUE(sim::IsProcessAlive(GetCurrentProcessId()));
}

}  // namespace
