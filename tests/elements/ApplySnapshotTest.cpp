// Applying snapshots: creation order, moves, pruning, offline, item keys that
// change kind or are 0, Me and Selection, Find, the instance list.
#include <gmock/gmock.h>

#include "elements/InstanceList.h"
#include "elements/VentriloChannel.h"
#include "elements/VentriloServer.h"
#include "elements/VentriloUser.h"
#include "tests/elements/ElementFixture.h"

using testing::ElementsAre;
using testing::IsEmpty;

TEST_F(SnapshotPass, FirstApply_GoesOnlineThenCreatesParentsBeforeChildren) {
  std::vector<std::string> expected = {"Online instance"};
  for (const char* name : {"Server", "sam", "A", "ann", "Sub", "xena", "B"}) {
    const std::vector<std::string> arrival = Arrival(name);
    expected.insert(expected.end(), arrival.begin(), arrival.end());
  }
  EXPECT_EQ(Apply(), expected);
  EXPECT_TRUE(instance->IsOnline());
  EXPECT_THAT(Children(instance), ElementsAre("Server"));
  EXPECT_THAT(Children(Element(1)), ElementsAre("A", "B", "sam"));
  EXPECT_EQ(instance->GetPassNumber(), 1u);
  EXPECT_THAT(Apply(), IsEmpty());
  EXPECT_EQ(instance->GetPassNumber(), 2u);
}

TEST_F(SnapshotPass, Walk_VisitsTheTreeInPreOrderAndPastChildrenSkipsTheSubtree) {
  Apply();
  std::vector<std::string> walk;
  for (VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext())
    walk.push_back(e->GetName());
  EXPECT_THAT(walk, ElementsAre("Server", "A", "ann", "Sub", "xena", "B", "sam"));
  EXPECT_EQ(Element(2)->WalkPastChildren(), Element(3));
  EXPECT_EQ(Element(40)->WalkNext(), Element(3));
  EXPECT_EQ(Element(10)->WalkNext(), nullptr);
}

TEST_F(SnapshotPass, Move_KeepsTheElementAndLeavesBeforeJoiningInNameOrder) {
  snapshot.AddUser(b, {.key = 30, .name = "bea"});
  snapshot.AddUser(b, {.key = 31, .name = "zoe"});
  Apply();
  VentriloElement* annElement = Element(20);
  const std::uint32_t id = annElement->GetID();
  annElement->SetMetadata("note", "kept");
  snapshot.MoveUser(ann, b);
  ann->values.flags = 1;
  std::vector<std::string> parents;
  onEvent = [&](const RecordingHost::FiredEvent&) { parents.push_back(Element(20)->GetParent()->GetName()); };
  EXPECT_THAT(Apply(), ElementsAre("FlagsChanged(0) ann", "LeavingParent ann", "JoinedParent ann"));
  EXPECT_THAT(parents, ElementsAre("A", "A", "B"));
  EXPECT_EQ(Element(20), annElement);
  EXPECT_EQ(annElement->GetID(), id);
  EXPECT_EQ(*annElement->GetMetadata("note"), "kept");
  EXPECT_THAT(Children(Element(3)), ElementsAre("ann", "bea", "zoe"));
  EXPECT_THAT(Children(Element(2)), ElementsAre("Sub"));
}

TEST_F(SnapshotPass, Move_OfAChannelTakesItsSubtreeAlong) {
  Apply();
  snapshot.MoveChannel(sub, b);
  EXPECT_THAT(Apply(), ElementsAre("LeavingParent Sub", "JoinedParent Sub"));
  EXPECT_EQ(Element(40)->GetParent(), Element(4));
  EXPECT_EQ(Element(4)->GetParent(), Element(3));
}

TEST_F(SnapshotPass, Leaving_IsPrunedAfterEveryCreationOfThePass) {
  Apply();
  snapshot.Detach(ann);
  snapshot.AddUser(b, {.key = 30, .name = "bea"});
  std::vector<std::string> expected = Arrival("bea");
  expected.insert(expected.end(), {"LeavingInstance ann", "LeavingParent ann"});
  EXPECT_EQ(Apply(), expected);
  EXPECT_EQ(Element(20), nullptr);
}

TEST_F(SnapshotPass, ChannelLeaving_TakesItsSubtreeTopDown) {
  Apply();
  snapshot.Detach(a);
  // Each element leaves the instance before its children, and its parent after them.
  EXPECT_THAT(Apply(),
              ElementsAre("LeavingInstance A", "LeavingInstance ann", "LeavingParent ann", "LeavingInstance Sub",
                          "LeavingInstance xena", "LeavingParent xena", "LeavingParent Sub", "LeavingParent A"));
  EXPECT_THAT(Children(Element(1)), ElementsAre("B", "sam"));
}

TEST_F(SnapshotPass, Disconnect_DestroysTheTreeThenGoesOfflineAndReconnectsWithNewIDs) {
  snapshot.localUser = ann;
  snapshot.selected = b;
  Apply();
  const std::uint32_t annID = Element(20)->GetID();
  ASSERT_NE(instance->GetMe(), nullptr);
  server->values.icon = 14;
  const std::vector<std::string> events = Apply();
  EXPECT_THAT(events,
              ElementsAre("LeavingInstance Server", "LeavingInstance A", "LeavingInstance ann", "LeavingParent ann",
                          "LeavingInstance Sub", "LeavingInstance xena", "LeavingParent xena", "LeavingParent Sub",
                          "LeavingParent A", "LeavingInstance B", "LeavingParent B", "LeavingInstance sam",
                          "LeavingParent sam", "LeavingParent Server", "Offline instance"));
  EXPECT_FALSE(instance->IsOnline());
  EXPECT_EQ(instance->GetMe(), nullptr);
  EXPECT_EQ(instance->GetSelection(), nullptr);
  EXPECT_EQ(instance->GetFirstChild(), nullptr);
  EXPECT_THAT(Apply(), IsEmpty());

  server->values.icon = 0;
  EXPECT_EQ(Apply().front(), "Online instance");
  EXPECT_GT(Element(20)->GetID(), annID);
  EXPECT_EQ(VentriloElement::FromID(annID), nullptr);
  EXPECT_EQ(instance->GetMe(), Element(20));
}

TEST_F(SnapshotPass, NoServer_CountsAsOfflineAndKeepsTheTreeView) {
  snapshot.treeView = reinterpret_cast<HWND>(0x1234);
  Apply();
  FakeSnapshot empty;
  log.clear();
  instance->ApplySnapshot(&empty);
  EXPECT_EQ(log.back(), "Offline instance");
  EXPECT_EQ(instance->GetTreeView(), reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(instance->GetPassNumber(), 1u);
}

TEST_F(SnapshotPass, KeyOfAnotherKind_SkipsTheItemWithItsSubtreeForOnePass) {
  Apply();
  // The record that was ann's now stands for a channel holding a user.
  snapshot.Detach(ann);
  FakeChannel* reused = snapshot.AddChannel(b, {.key = 20, .name = "Lounge"});
  snapshot.AddUser(reused, {.key = 50, .name = "lou"});
  EXPECT_THAT(Apply(), ElementsAre("LeavingInstance ann", "LeavingParent ann"));
  EXPECT_EQ(Element(50), nullptr);
  const std::vector<std::string> next = Apply();
  std::vector<std::string> expected = Arrival("Lounge");
  const std::vector<std::string> lou = Arrival("lou");
  expected.insert(expected.end(), lou.begin(), lou.end());
  EXPECT_EQ(next, expected);
  EXPECT_NE(Element(20)->AsChannel(), nullptr);
}

TEST_F(SnapshotPass, ServerKeyOfAnotherKind_EndsThePassSafelyAndTheNextRecovers) {
  Apply();
  server->values.key = 10;  // the server's item now reports sam's record
  snapshot.Detach(sam);
  const std::vector<std::string> events = Apply();
  EXPECT_EQ(events.front(), "LeavingInstance Server");
  EXPECT_EQ(events.size(), 14u);
  EXPECT_EQ(events.back(), "LeavingParent Server");
  EXPECT_EQ(instance->GetFirstChild(), nullptr);
  Apply();
  EXPECT_THAT(Children(instance), ElementsAre("Server"));
  EXPECT_THAT(Children(Element(10)), ElementsAre("A", "B"));
  EXPECT_NE(Element(40), nullptr);
}

TEST_F(SnapshotPass, KeyZero_MakesANewElementEveryPass) {
  FakeUser* ghost = snapshot.AddUser(b, {.key = 0, .name = "ghost", .handle = 99});
  Apply();
  const VentriloElement* first = Element(3)->GetFirstChild();
  ASSERT_NE(first, nullptr);
  const std::uint32_t firstID = first->GetID();
  std::vector<std::string> expected = Arrival("ghost");
  expected.insert(expected.end(), {"LeavingInstance ghost", "LeavingParent ghost"});
  EXPECT_EQ(Apply(), expected);
  EXPECT_EQ(VentriloElement::FromID(firstID), nullptr);
  EXPECT_THAT(Children(Element(3)), ElementsAre("ghost"));
  EXPECT_EQ(Element(0), nullptr);
  snapshot.localUser = ghost;
  Apply();
  EXPECT_EQ(instance->GetMe(), nullptr);
}

TEST_F(SnapshotPass, RepeatedKeyInsideItsOwnSubtree_LeavesTheTreeIntact) {
  // A client whose records repeat: Sub shows an item with A's record.
  snapshot.AddChannel(sub, {.key = 2, .name = "A again"});
  Apply();
  EXPECT_EQ(Element(2)->GetParent(), Element(1));
  EXPECT_EQ(Element(4)->GetParent(), Element(2));
  Apply();
  EXPECT_TRUE(instance->CheckTree());
}

TEST_F(SnapshotPass, MeAndSelection_FollowTheSnapshotAndNeverNameADestroyedElement) {
  snapshot.localUser = ann;
  snapshot.selected = sub;
  Apply();
  EXPECT_EQ(instance->GetMe(), Element(20));
  EXPECT_EQ(instance->GetSelection(), Element(4));
  EXPECT_TRUE(instance->IsSelected(Element(4)));
  EXPECT_FALSE(instance->IsSelected(Element(2)));
  EXPECT_FALSE(instance->IsSelected(instance));

  // A and everything under it go; sam's handler runs after they are destroyed.
  snapshot.Detach(a);
  snapshot.Detach(sam);
  const VentriloElement* meInLastHandler = Element(20);
  const VentriloElement* selectionInLastHandler = Element(4);
  onEvent = [&](const RecordingHost::FiredEvent&) {
    meInLastHandler = instance->GetMe();
    selectionInLastHandler = instance->GetSelection();
  };
  Apply();
  EXPECT_EQ(meInLastHandler, nullptr);
  EXPECT_EQ(selectionInLastHandler, nullptr);

  // The selection can be the server, and a local user that is a channel is no one.
  snapshot.selected = server;
  snapshot.localUser = nullptr;
  Apply();
  EXPECT_EQ(instance->GetSelection(), Element(1));
  EXPECT_EQ(instance->GetMe(), nullptr);
}

class FindTest : public ElementFixture {
 protected:
  // Queries are name prefixes; "!" does not compile.
  void SetUp() override {
    ElementFixture::SetUp();
    host.parseFilter = [this](const char* query) -> FilterHandle {
      if (std::string(query) == "!")
        return 0;
      queries.emplace_back(query);
      return queries.size();
    };
    host.matchFilter = [this](FilterHandle filter, ObjectRef* object, unsigned char* matched) {
      ++matches;
      const std::string& prefix = queries[filter - 1];
      *matched = VentriloElement::FromID(static_cast<std::uint32_t>(object->Data))->GetName().rfind(prefix, 0) == 0;
      return true;
    };
    host.releaseFilter = [this](FilterHandle) { ++releases; };
    FakeServer* server = snapshot.SetServer({.key = 1, .name = "Server"});
    snapshot.AddUser(server, {.key = 10, .name = "bob"});
    FakeChannel* a = snapshot.AddChannel(server, {.key = 2, .name = "A"});
    snapshot.AddUser(a, {.key = 20, .name = "bobby"});
    Apply();
  }
  std::vector<std::string> queries;
  int matches = 0;
  int releases = 0;
};

TEST_F(FindTest, FirstMatchInPreOrderWins) {
  // bobby came second, but channel A sorts before user bob, so A's subtree comes first.
  EXPECT_EQ(instance->Find("bob"), Element(20));
  EXPECT_EQ(instance->Find("S"), Element(1));
  EXPECT_EQ(instance->Find("zzz"), nullptr);
  EXPECT_EQ(matches, 3 + 1 + 4);
  EXPECT_EQ(releases, 3);
}

TEST_F(FindTest, QueryThatDoesNotCompile_WalksNothing) {
  EXPECT_EQ(instance->Find("!"), nullptr);
  EXPECT_EQ(matches, 0);
  EXPECT_EQ(releases, 0);
}

class InstanceListTest : public ElementFixture {};

TEST_F(InstanceListTest, Instances_AreListedOldestFirstAndFoundByClient) {
  FakeClient secondClient;
  auto* second = new VentriloInstance(NextElementID(), nullptr, &secondClient);
  EXPECT_EQ(InstanceList::First(), instance);
  EXPECT_EQ(instance->GetNextInstance(), second);
  EXPECT_EQ(second->GetPreviousInstance(), instance);
  EXPECT_EQ(InstanceList::Find(&secondClient), second);
  EXPECT_EQ(secondClient.References(), 2);

  instance->Destroy();
  instance = nullptr;
  EXPECT_EQ(InstanceList::First(), second);
  EXPECT_EQ(second->GetPreviousInstance(), nullptr);
  EXPECT_EQ(InstanceList::Find(&client), nullptr);
  EXPECT_THAT(log, ElementsAre("InstanceOpened", "InstanceClosed instance"));
  second->Destroy();
  EXPECT_EQ(InstanceList::First(), nullptr);
  EXPECT_EQ(secondClient.References(), 1);
}
