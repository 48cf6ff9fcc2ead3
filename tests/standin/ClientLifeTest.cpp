// The stand-in living like a client: roster changes, selection, Enter on the
// tree, disconnect and reconnect, each checked as a reader sees it.
#include "StandinFixture.h"

#include <thread>

using standin::ClientProbe;
using standin::Entry;

using ClientLife = StandinFixture;

namespace {

// TVM_GETITEMA of a deleted item fails: its handle is gone for good.
bool IsLive(const standin::StandinClient& client, HTREEITEM item) {
  const ClientProbe probe(client.ProcessId());
  ClientProbe::Item shown;
  return probe.GetItem(client.TreeView(), item, &shown);
}

}  // namespace

TEST_F(ClientLife, Change_AddedItemsTakeTheirPlace) {
  client->AddUser("Lobby", Named("Dave"));
  client->AddUser("", Named("Eve"));
  client->AddChannel("Games", standin::Channel{Named("Arena"), {Named("Frank")}, {}});
  auto layout = Layout();
  EXPECT_EQ(layout["(top)"], (std::vector<std::string>{"Chorister Server", "Lurker", "Eve", "Lobby", "Games"}));
  EXPECT_EQ(layout["Lobby"], (std::vector<std::string>{"Bob", "Alice", "Dave", "Quiet"}));
  EXPECT_EQ(layout["Arena"], std::vector<std::string>{"Frank"});
  EXPECT_EQ(client->ChannelOf("Frank"), "Arena");
  EXPECT_EQ(client->ChannelOf("Eve"), "");
}

TEST_F(ClientLife, Change_RemoveTakesTheSubtree) {
  const HTREEITEM carol = client->Item("Carol");
  client->Remove("Quiet");
  client->Remove("Bob");
  EXPECT_EQ(Layout()["Lobby"], std::vector<std::string>{"Alice"});
  EXPECT_EQ(Tree().size(), 5u);
  EXPECT_FALSE(IsLive(*client, carol));
  EXPECT_EQ(client->Item("Deep"), nullptr);
}

TEST_F(ClientLife, Change_MoveReinsertsIntoFreedBlocksWithTheSameRecords) {
  const HTREEITEM quiet = client->Item("Quiet");
  const HTREEITEM carol = client->Item("Carol");
  const std::uint32_t carolRecord = client->Record("Carol");
  client->Move("Quiet", "Games");
  client->Move("Bob", "Deep");
  client->Move("Games", "Deep");  // into its own subtree: refused
  auto layout = Layout();
  EXPECT_EQ(layout["Games"], std::vector<std::string>{"Quiet"});
  EXPECT_EQ(layout["Deep"], std::vector<std::string>{"Bob"});
  EXPECT_EQ(layout["Lobby"], std::vector<std::string>{"Alice"});
  // The tree view reuses the blocks of deleted items, the last freed first:
  // the channel, re-inserted first, takes the block of its user, freed last,
  // so the handle that named Carol now names Quiet.
  EXPECT_EQ(client->Item("Quiet"), carol);
  EXPECT_NE(client->Item("Quiet"), quiet);
  EXPECT_EQ(Shown("Carol").record, carolRecord);
  EXPECT_EQ(Shown("Bob").text, "\"AM\" Officer Bob (away)");
}

TEST_F(ClientLife, Change_AttributesReachTextAndRecord) {
  const std::uint32_t record = client->Record("Bob");
  client->Rename("Bob", "Robert");
  client->SetFlags("Robert", "C");
  client->SetRank("Robert", "Captain", 9);
  client->SetSuffix("Robert", "");
  client->SetComment("Robert", "back", "");
  client->SetPronunciation("Robert", "Rob");
  client->SetIcon("Robert", 3);
  const Item robert = Shown("Robert");
  EXPECT_EQ(robert.record, record);
  EXPECT_EQ(robert.text, "\"C\" Captain Robert");
  EXPECT_EQ(robert.image, 3);
  EXPECT_EQ(robert.rankID, 9);
  EXPECT_EQ(robert.pronunciation, "Rob");
  EXPECT_EQ(robert.comment, "back");
  EXPECT_EQ(robert.commentURL, "");
  EXPECT_EQ(client->Item("Bob"), nullptr);
  client->Rename("Robert", "Alice");  // names stay unique
  EXPECT_EQ(Shown("Robert").record, record);
}

TEST_F(ClientLife, Enter_MovesTheLocalUserToTheSelectedChannel) {
  const HWND tree = client->TreeView();
  const std::uint32_t record = client->Record("Alice");
  client->Select("Bob");
  EXPECT_EQ(ClientProbe::Next(tree, TVGN_CARET), client->Item("Bob"));
  ClientProbe::PressEnter(tree);  // a user selected: nothing to join
  EXPECT_EQ(client->ChannelOf("Alice"), "Lobby");

  ASSERT_TRUE(ClientProbe::Select(tree, client->Item("Deep")));
  ClientProbe::PressEnter(tree);
  EXPECT_EQ(Layout()["Deep"], std::vector<std::string>{"Alice"});
  EXPECT_EQ(Shown("Alice").record, record);
  EXPECT_EQ(ClientProbe::Next(tree, TVGN_CARET), client->Item("Deep"));

  ASSERT_TRUE(ClientProbe::Select(tree, client->Item("")));  // the server: back to its top level
  ClientProbe::PressEnter(tree);
  EXPECT_EQ(Layout()["(top)"], (std::vector<std::string>{"Chorister Server", "Lurker", "Alice", "Lobby", "Games"}));

  client->SetLocalUser("Nobody");
  client->Select("Games");
  ClientProbe::PressEnter(tree);
  EXPECT_EQ(client->ChannelOf("Alice"), "");
}

TEST_F(ClientLife, Connection_DisconnectLeavesTheNetStatusRoot) {
  const std::uint32_t bobRecord = client->Record("Bob");
  client->Select("Games");
  client->Disconnect();
  EXPECT_FALSE(client->IsConnected());
  const std::vector<Item> tree = Tree();
  ASSERT_EQ(tree.size(), 1u);  // its record is readable, so a reader gets its image
  EXPECT_EQ(tree[0].image, 14);
  EXPECT_EQ(client->Record("Bob"), 0u);
  ClientProbe::PressEnter(client->TreeView());

  client->AddUser("Games", Named("Dave"));
  client->Reconnect();
  EXPECT_EQ(Layout()["Games"], std::vector<std::string>{"Dave"});
  EXPECT_NE(Shown("Bob").record, bobRecord);
  EXPECT_EQ(Shown("Bob").comment, "brb");

  client->ClearTree();
  EXPECT_EQ(ClientProbe::Next(client->TreeView(), TVGN_ROOT), nullptr);
}

TEST_F(ClientLife, Concurrency_EnterAndChangesFromTwoThreads) {
  constexpr int kRounds = 200;
  const HWND tree = client->TreeView();
  std::thread changer([this] {
    for (int round = 0; round < kRounds; ++round) {
      client->Move("Carol", round % 2 == 0 ? "Games" : "Quiet");
      client->SetFlags("Bob", round % 2 == 0 ? "A" : "");
      client->ChannelOf("Alice");
    }
  });
  for (int round = 0; round < kRounds; ++round) {
    ClientProbe::Select(tree, client->Item(round % 2 == 0 ? "Games" : "Lobby"));
    ClientProbe::PressEnter(tree);
  }
  changer.join();
  EXPECT_EQ(client->ChannelOf("Alice"), "Lobby");
  EXPECT_EQ(client->ChannelOf("Carol"), "Quiet");
  EXPECT_EQ(Tree().size(), 9u);
}
