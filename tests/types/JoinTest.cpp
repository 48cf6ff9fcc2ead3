// Join, the one method of "ventrilochannel": a channel answers it itself, a
// server through its parent type, a user not at all.
#include "tests/types/TypeFixture.h"

#include <gtest/gtest.h>

namespace {

class Join : public TypeFixture {
 protected:
  // Joins `target` while recording, and expects the client to have been told
  // to select `item` and to have seen Enter pressed on it.
  void JoinAndExpectEnterOn(ObjectRef target, standin::StandinClient& client, const std::string& item) {
    sim::StartRecording();
    EXPECT_EQ(Call(target, "Join", {"ignored"}), 1);
    sim::StopRecording();
    const std::vector<sim::CallRecord> sent = TakeActions(client.TreeView());
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].message, static_cast<UINT>(TVM_SELECTITEM));
    EXPECT_EQ(sent[0].wParam, static_cast<WPARAM>(TVGN_CARET));
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(sent[0].lParam), client.Item(item));
    EXPECT_EQ(sent[1].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(sent[1].wParam, static_cast<WPARAM>(VK_RETURN));
    EXPECT_EQ(sent[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(sent[2].wParam, static_cast<WPARAM>(VK_RETURN));
  }
};

TEST_F(Join, Channel_MovesTheLocalUserThere) {
  standin::StandinClient& client = StartClient();
  JoinAndExpectEnterOn(Element("Chess"), client, "Chess");
  EXPECT_EQ(client.ChannelOf("Alice"), "Chess");

  Settle();
  EXPECT_EQ(ToText(Member(Element("Alice"), "Parent")), "Chess");
  EXPECT_EQ(ToText(Member(Element("Chess"), "Children")), "Alice") << "Alice sorts before Carol";
}

TEST_F(Join, Server_IsAnsweredThroughTheChannelType) {
  standin::StandinClient& client = StartClient();
  const ObjectRef server = Element("Chorister");
  EXPECT_EQ(TypeName(server), "ventriloserver");
  EXPECT_EQ(Text(server, "Type"), "Server");
  JoinAndExpectEnterOn(server, client, "");
  EXPECT_EQ(client.ChannelOf("Alice"), "") << "the local user is on the server's top level";

  Settle();
  EXPECT_EQ(TypeName(Member(Element("Alice"), "Parent")), "ventriloserver");
}

TEST_F(Join, UserAndInstance_HaveNoJoin) {
  standin::StandinClient& client = StartClient();
  ObjectRef bob = Element("Bob");
  ObjectRef instance = Member(Ventrilo(), "Instances");
  sim::StartRecording();
  EXPECT_EQ(Call(bob, "Join"), -1) << "no type in a user's chain registers Join";
  EXPECT_EQ(Call(instance, "Join"), -1);
  sim::StopRecording();
  EXPECT_TRUE(TakeActions(client.TreeView()).empty());
}

TEST_F(Join, RefusedSelection_SendsNoKeysAndFails) {
  standin::StandinClient& client = StartClient();
  ObjectRef games = Element("Games");
  sim::FailMessage(client.TreeView(), TVM_SELECTITEM, 1);
  sim::StartRecording();
  EXPECT_EQ(Call(games, "Join"), 0);
  sim::StopRecording();
  for (const sim::CallRecord& record : TakeActions(client.TreeView()))
    EXPECT_EQ(record.message, static_cast<UINT>(TVM_SELECTITEM)) << "a key was pressed after a refused selection";
  EXPECT_EQ(client.ChannelOf("Alice"), "Lobby");
}

}  // namespace
