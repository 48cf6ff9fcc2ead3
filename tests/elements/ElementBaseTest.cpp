// The element base: child order, change detection, icon names, metadata, ids.
#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <random>

#include "libventrilo/ClientIcons.h"
#include "elements/NameCollation.h"
#include "elements/VentriloServer.h"
#include "elements/VentriloUser.h"
#include "tests/elements/ElementFixture.h"

using testing::ElementsAre;
using testing::IsEmpty;

class ChildOrder : public ElementFixture {
 protected:
  void SetUp() override {
    ElementFixture::SetUp();
    server = snapshot.SetServer({.key = 1, .name = "Server"});
  }
  FakeServer* server = nullptr;
};

TEST_F(ChildOrder, Children_AreOrderedByFoldedNameAndEqualNamesKeepArrivalOrder) {
  snapshot.AddUser(server, {.key = 10, .name = "bob"});
  snapshot.AddUser(server, {.key = 11, .name = "Alice"});
  snapshot.AddUser(server, {.key = 12, .name = "carol"});
  Apply();
  EXPECT_THAT(Children(Element(1)), ElementsAre("Alice", "bob", "carol"));

  snapshot.AddUser(server, {.key = 13, .name = "BOB"});
  Apply();
  EXPECT_THAT(Children(Element(1)), ElementsAre("Alice", "bob", "BOB", "carol"));
  EXPECT_EQ(Element(13)->GetPrevious(), Element(10));
  EXPECT_EQ(Element(13)->GetNext(), Element(12));
}

TEST_F(ChildOrder, Children_CompareBytesPastTheLettersUnfolded) {
  // '_' (0x5F) lies between the capitals and the small letters: folding only
  // A to Z puts it before every letter; bytes above 0x7F come after them.
  snapshot.AddUser(server, {.key = 10, .name = "b"});
  snapshot.AddUser(server, {.key = 11, .name = "\xE9t\xE9"});
  snapshot.AddUser(server, {.key = 12, .name = "_x"});
  snapshot.AddUser(server, {.key = 13, .name = "B1"});
  snapshot.AddUser(server, {.key = 14, .name = ""});
  Apply();
  EXPECT_THAT(Children(Element(1)), ElementsAre("", "_x", "b", "B1", "\xE9t\xE9"));
}

TEST_F(ChildOrder, Rename_DoesNotMoveTheElement) {
  FakeUser* bob = snapshot.AddUser(server, {.key = 10, .name = "bob"});
  snapshot.AddUser(server, {.key = 11, .name = "carol"});
  Apply();
  bob->values.name = "zed";
  EXPECT_THAT(Apply(), ElementsAre("NameChanged zed"));
  EXPECT_THAT(Children(Element(1)), ElementsAre("zed", "carol"));
  // A newcomer is placed against the names as they are now.
  snapshot.AddUser(server, {.key = 12, .name = "dave"});
  Apply();
  EXPECT_THAT(Children(Element(1)), ElementsAre("dave", "zed", "carol"));
  // What remains is out of name order, and the tree is still sound.
  snapshot.Detach(bob);
  Apply();
  EXPECT_THAT(Children(Element(1)), ElementsAre("dave", "carol"));
}

// A channel of hundreds through every path of its order: the index of a
// sorted chain (its blocks splitting, merging and borrowing; long names that
// share their first bytes; equal folded names), renames that keep the chain
// sorted or not, and leaves that sort it again. The model places each
// newcomer by the rule itself.
TEST_F(ChildOrder, LargeChannel_FollowsThePlacementRuleThroughRenamesAndLeaves) {
  std::mt19937 random(5);
  const auto draw = [&random](std::size_t count) { return static_cast<std::size_t>(random() % count); };
  const auto drawName = [&draw] {
    static const char* const stems[] = {
        "", "a", "Bob", "bob", "Zed", "a-name-longer-than-sixteen-", "A-NAME-LONGER-THAN-SIXTEEN-x"};
    return stems[draw(std::size(stems))] + std::to_string(draw(300));
  };
  const auto outOfOrder = [](const std::string& a, const std::string& b) {
    return CompareNames(a, b) > 0;
  };
  std::vector<std::pair<std::uint32_t, std::string>> model;  // key and name, in chain order
  std::map<std::uint32_t, FakeUser*> users;
  std::uint32_t nextKey = 10;
  const auto leave = [&](std::size_t at) {
    snapshot.Detach(users[model[at].first]);
    users.erase(model[at].first);
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
  };
  const auto expectModel = [&](int round) {
    std::vector<std::uint32_t> keys;
    for (const VentriloElement* child = Element(1)->GetFirstChild(); child; child = child->GetNext())
      keys.push_back(child->GetItemKey());
    std::vector<std::uint32_t> expected;
    for (const auto& [key, name] : model)
      expected.push_back(key);
    ASSERT_EQ(keys, expected) << "round " << round;
  };
  for (int round = 0; round < 40; ++round) {
    // Renames come first in the snapshot, newcomers after them.
    for (std::size_t i = draw(6); i > 0 && !model.empty(); --i) {
      auto& [key, name] = model[draw(model.size())];
      name = draw(8) == 0 ? drawName() : name + std::to_string(draw(10));
      users[key]->values.name = name;
    }
    for (std::size_t i = draw(200); i > 0; --i) {
      const std::string name = drawName();
      const auto at =
          std::find_if(model.begin(), model.end(), [&](const auto& held) { return outOfOrder(held.second, name); });
      model.insert(at, {nextKey, name});
      users[nextKey] = snapshot.AddUser(server, {.key = nextKey, .name = name});
      ++nextKey;
    }
    Apply();
    expectModel(round);
    for (std::size_t i = draw(120); i > 0 && !model.empty(); --i)
      leave(draw(model.size()));
    if (round % 3 == 2) {
      for (std::size_t at = 1; at < model.size();) {
        if (outOfOrder(model[at - 1].second, model[at].second))
          leave(at);
        else
          ++at;
      }
    }
    Apply();
    expectModel(round);
  }
}

class ChangeDetection : public ElementFixture {
 protected:
  void SetUp() override {
    ElementFixture::SetUp();
    server = snapshot.SetServer({.key = 1, .name = "Server"});
    Apply();
  }
  FakeServer* server = nullptr;
};

TEST_F(ChangeDetection, NewUser_RaisesOneEventPerValueThatDiffersFromTheEmptyStart) {
  snapshot.AddUser(server, {.key = 10, .name = "Alice", .icon = 2, .flags = 0x10, .displayText = "\"L\" Alice"});
  std::vector<std::string> seen;
  onEvent = [&](const RecordingHost::FiredEvent&) {
    const VentriloElement* alice = Element(10);
    const bool listed = !Children(Element(1)).empty();
    seen.push_back(std::string(alice->GetParent() == Element(1) ? "parent set" : "no parent") +
                   (listed ? ", listed" : ", not listed"));
  };
  EXPECT_THAT(Apply(), ElementsAre("IconChanged(-1)", "NameChanged Alice", "FlagsChanged(0) Alice",
                                   "DisplayTextChanged Alice", "JoinedInstance Alice", "JoinedParent Alice"));
  EXPECT_THAT(seen, ElementsAre("parent set, not listed", "parent set, not listed", "parent set, not listed",
                                "parent set, not listed", "parent set, not listed", "parent set, listed"));
}

TEST_F(ChangeDetection, Changes_RaiseInFixedOrderWithTheNewValueAlreadyStored) {
  FakeUser* user = snapshot.AddUser(server, {.key = 10, .name = "bob", .flags = 3});
  Apply();
  user->values = {.key = 10,
                  .name = "Bob",
                  .icon = 3,
                  .flags = 5,
                  .displayText = "Bob (away)",
                  .rank = "Officer",
                  .rankID = 7,
                  .pronunciation = "bobby",
                  .comment = "hi",
                  .commentURL = "http://x"};
  std::vector<std::string> values;
  onEvent = [&](const RecordingHost::FiredEvent& event) {
    const VentriloElement* bob = Element(10);
    if (event.name == "Ventrilo.OnFlagsChanged")
      values.push_back(std::to_string(bob->GetFlags()));
    if (event.name == "Ventrilo.OnIconChanged")
      values.push_back(IconName(bob->GetIconID()));
  };
  EXPECT_THAT(Apply(), ElementsAre("IconChanged(2) bob", "NameChanged Bob", "PronunciationChanged Bob",
                                   "CommentChanged Bob", "CommentURLChanged Bob", "RankIDChanged Bob",
                                   "RankChanged Bob", "FlagsChanged(3) Bob", "DisplayTextChanged Bob"));
  EXPECT_THAT(values, ElementsAre("voiceon.ico", "5"));
  EXPECT_THAT(Apply(), IsEmpty());
}

TEST_F(ChangeDetection, RankID_ComparesItsLow16Bits) {
  FakeUser* user = snapshot.AddUser(server, {.key = 10, .name = "bob", .rankID = 0xFFFF});
  Apply();
  EXPECT_EQ(Element(10)->GetRankID(), 0xFFFF);
  user->values.rankID = 0x1FFFF;
  EXPECT_THAT(Apply(), IsEmpty());
  user->values.rankID = 0x10000;
  EXPECT_THAT(Apply(), ElementsAre("RankIDChanged bob"));
}

TEST_F(ChangeDetection, NumericArguments_PrintTheStoredBitsAsSigned) {
  FakeUser* user = snapshot.AddUser(server, {.key = 10, .name = "bob", .icon = 15, .flags = 0x80000000u});
  Apply();
  user->values.flags = 0;
  user->values.icon = -1;
  EXPECT_THAT(Apply(), ElementsAre("IconChanged(15) bob", "FlagsChanged(-2147483648) bob"));
  EXPECT_STREQ(IconName(Element(10)->GetIconID()), "none");
}

TEST(IconName, FollowsTheClientsImageIndices) {
  const std::pair<int, const char*> table[] = {
      {-2, "unknown"},         {-1, "none"},         {0, "server.ico"},       {1, "channel.ico"},
      {2, "voiceoff.ico"},     {3, "voiceon.ico"},   {4, "chanpass.ico"},     {5, "channelopen.ico"},
      {6, "chanpassopen.ico"}, {7, "chanauth.ico"},  {8, "chanauthopen.ico"}, {9, "voicebegin.ico"},
      {10, "voicechan.ico"},   {11, "voiceu2u.ico"}, {12, "voicegroup.ico"},  {13, "voicep2p.ico"},
      {14, "netstatus.ico"},   {15, "unknown"},      {1000, "unknown"},
  };
  for (const auto& [icon, name] : table)
    EXPECT_STREQ(IconName(icon), name) << icon;
}

class Metadata : public ElementFixture {};

TEST_F(Metadata, Keys_AreCaseSensitiveAndUnsetIsQuiet) {
  instance->SetMetadata("a", "1");
  instance->SetMetadata("A", "2");
  instance->SetMetadata("a", "3");
  ASSERT_NE(instance->GetMetadata("a"), nullptr);
  EXPECT_EQ(*instance->GetMetadata("a"), "3");
  EXPECT_EQ(*instance->GetMetadata("A"), "2");
  instance->UnsetMetadata("missing");
  instance->UnsetMetadata("A");
  EXPECT_EQ(instance->GetMetadata("A"), nullptr);
  EXPECT_NE(instance->GetMetadata("a"), nullptr);
  EXPECT_THAT(log, IsEmpty());
}

class ChildChain : public ElementFixture {};

TEST_F(ChildChain, RemoveChild_RefusesAnElementThatIsNotItsChild) {
  FakeServer* server = snapshot.SetServer({.key = 1, .name = "Server"});
  FakeChannel* a = snapshot.AddChannel(server, {.key = 2, .name = "A"});
  snapshot.AddUser(a, {.key = 3, .name = "ann"});
  Apply();
  EXPECT_FALSE(Element(1)->RemoveChild(Element(3)));
  EXPECT_FALSE(Element(1)->RemoveChild(instance));
  EXPECT_FALSE(Element(1)->RemoveChild(nullptr));
  EXPECT_THAT(log, IsEmpty());
  EXPECT_EQ(Element(3)->GetParent(), Element(2));
}

TEST_F(ChildChain, Destroy_RaisesLeavingEventsTopDownEachOnceAndStillLinked) {
  FakeServer* server = snapshot.SetServer({.key = 1, .name = "Server"});
  FakeChannel* a = snapshot.AddChannel(server, {.key = 2, .name = "A"});
  snapshot.AddUser(a, {.key = 3, .name = "ann"});
  snapshot.AddUser(a, {.key = 4, .name = "bea"});
  snapshot.AddChannel(a, {.key = 5, .name = "Sub"});
  snapshot.AddChannel(server, {.key = 6, .name = "B"});
  Apply();
  // Where each leaving element finds itself: its parent, and among its siblings.
  std::vector<std::string> places;
  onEvent = [&](const RecordingHost::FiredEvent& event) {
    if (event.name != "Ventrilo.OnLeavingInstance")
      return;
    const VentriloElement* element = VentriloElement::FromID(static_cast<std::uint32_t>(event.context.Data));
    const VentriloElement* parent = element->GetParent();
    const std::vector<std::string> siblings = parent ? Children(parent) : std::vector<std::string>{};
    const bool listed = std::find(siblings.begin(), siblings.end(), element->GetName()) != siblings.end();
    places.push_back(element->GetName() + " in " + (parent ? parent->GetName() : "nothing") +
                     (listed ? "" : ", unlisted"));
  };
  Element(2)->Destroy();
  EXPECT_THAT(log, ElementsAre("LeavingInstance A", "LeavingInstance ann", "LeavingParent ann", "LeavingInstance bea",
                               "LeavingParent bea", "LeavingInstance Sub", "LeavingParent Sub", "LeavingParent A"));
  // Removed with its parent or alone, an element leaves from its place.
  Element(6)->Destroy();
  EXPECT_THAT(places, ElementsAre("A in Server", "ann in A", "bea in A", "Sub in A", "B in Server"));
  EXPECT_THAT(Children(Element(1)), IsEmpty());
  for (std::uint32_t key : {2u, 3u, 4u, 5u, 6u})
    EXPECT_EQ(Element(key), nullptr);
}

TEST(ElementID, GrowsAcrossInstancesAndIsNeverResolvedAfterDeath) {
  FakeClient first;
  FakeClient second;
  auto* one = new VentriloInstance(NextElementID(), nullptr, &first);
  const std::uint32_t oneID = one->GetID();
  auto* two = new VentriloInstance(NextElementID(), nullptr, &second);
  EXPECT_GT(two->GetID(), oneID);
  EXPECT_EQ(VentriloElement::FromID(oneID), one);
  one->Destroy();
  EXPECT_EQ(VentriloElement::FromID(oneID), nullptr);
  EXPECT_EQ(VentriloElement::FromID(two->GetID()), two);
  EXPECT_GT(NextElementID(), two->GetID());
  two->Destroy();
}
