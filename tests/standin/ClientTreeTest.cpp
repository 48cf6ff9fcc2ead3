// The stand-in's tree and records as a reader reads them: TVM_GETNEXTITEM
// walks, TVM_GETITEMA through buffers committed in the client, and
// ReadProcessMemory of the records and their strings.
#include "StandinFixture.h"

#include <array>
#include <cstring>

using standin::ClientProbe;
using standin::kEmptyStringAddress;
using standin::kRecordSize;

using ClientTree = StandinFixture;

TEST_F(ClientTree, Layout_ServerIsRootAndItsChildrenFollowIt) {
  const std::map<std::string, std::vector<std::string>> expected = {
      {"(top)", {"Chorister Server", "Lurker", "Lobby", "Games"}},
      {"Lobby", {"Bob", "Alice", "Quiet"}},
      {"Quiet", {"Carol", "Deep"}},
  };
  EXPECT_EQ(Layout(), expected);
  const HWND tree = client->TreeView();
  EXPECT_EQ(ClientProbe::Next(tree, TVGN_ROOT), client->Item(""));
  EXPECT_EQ(ClientProbe::Next(tree, TVGN_CHILD, client->Item("")), nullptr);
}

TEST_F(ClientTree, Items_ShowImagesTextsAndRecordAddresses) {
  const std::map<std::string, int> images = {{"Chorister Server", 0},
                                             {"Lurker", 2},
                                             {"Lobby", 1},
                                             {"Bob", 2},
                                             {"Alice", 3},
                                             {"Quiet", 4},
                                             {"Carol", 2},
                                             {"Deep", 1},
                                             {"Games", 1}};
  for (const Item& item : Tree()) {
    SCOPED_TRACE(item.name);
    EXPECT_EQ(item.image, images.at(item.name));
    EXPECT_EQ(item.record, client->Record(item.name == "Chorister Server" ? "" : item.name));
    EXPECT_EQ(item.handle, client->Item(item.name));
  }
  EXPECT_EQ(Shown("Bob").text, "\"AM\" Officer Bob (away)");
  EXPECT_EQ(Shown("Lurker").text, "[Guest] Lurker");
  EXPECT_EQ(Shown("Deep").text, "Deep");
}

TEST_F(ClientTree, Record_HoldsRankIDAndStrings) {
  const Item bob = Shown("Bob");
  EXPECT_EQ(bob.rankID, 7);
  EXPECT_EQ(bob.pronunciation, "Bobby");
  EXPECT_EQ(bob.comment, "brb");
  EXPECT_EQ(bob.commentURL, "http://bob.example");
}

TEST_F(ClientTree, Record_EmptyStringsUseTheMappedEmptyAddress) {
  const ClientProbe probe(client->ProcessId());
  std::uint32_t comment = 0;
  ASSERT_TRUE(probe.Read(client->Record("Lurker") + 0x90, &comment, sizeof comment));
  EXPECT_EQ(comment, kEmptyStringAddress);
  char byte = 'x';
  ASSERT_TRUE(probe.Read(kEmptyStringAddress, &byte, 1));
  EXPECT_EQ(byte, '\0');
  // It lies in the client's read-only data: a stray write cannot clear it.
  const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client->ProcessId());
  EXPECT_FALSE(
      WriteProcessMemory(process, reinterpret_cast<LPVOID>(std::uintptr_t{kEmptyStringAddress}), "x", 1, nullptr));
  CloseHandle(process);
}

TEST_F(ClientTree, Record_NeighbouringOffsetsHoldNoFieldValue) {
  const ClientProbe probe(client->ProcessId());
  std::array<std::uint8_t, kRecordSize> bytes;
  ASSERT_TRUE(probe.Read(client->Record("Bob"), bytes.data(), kRecordSize));
  for (std::uint32_t offset = 0; offset < kRecordSize; ++offset) {
    const bool field = (offset >= 0x7E && offset < 0x80) || (offset >= 0x88 && offset < 0x98);
    if (!field) {
      EXPECT_NE(bytes[offset], 0) << "offset " << offset;
    }
  }
  std::uint16_t rankID = 0;
  std::memcpy(&rankID, bytes.data() + 0x7C, 2);
  EXPECT_NE(rankID, 7);
  for (const std::uint32_t offset : {0x84u, 0x98u}) {
    std::uint32_t address = 0;
    std::memcpy(&address, bytes.data() + offset, 4);
    EXPECT_EQ(probe.ReadString(address), "") << "offset " << offset;
  }
}
