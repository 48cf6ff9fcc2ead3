// "ventriloelement" as every kind of element answers it through its own type.
#include "tests/types/TypeFixture.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

class ElementMembers : public TypeFixture {};

TEST_F(ElementMembers, Identity_TypeAndInstanceOfEveryKind) {
  StartClient();
  const ObjectRef instance = Member(Ventrilo(), "Instances");
  const struct {
    ObjectRef object;
    const char* scriptType;
    const char* typeText;
  } kinds[] = {
      {instance, "ventriloinstance", "Instance"},
      {Element("Chorister"), "ventriloserver", "Server"},
      {Element("Lobby"), "ventrilochannel", "Channel"},
      {Element("Alice"), "ventrilouser", "User"},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.typeText);
    EXPECT_EQ(TypeName(kind.object), kind.scriptType);
    EXPECT_EQ(Text(kind.object, "Type"), kind.typeText);
    // ID is the element's id: indexing the top-level object with it gives the element back.
    const std::uintptr_t id = Word(kind.object, "ID");
    ObjectRef indexed{nullptr, 0};
    ASSERT_TRUE(Index(std::to_string(id), &indexed));
    EXPECT_EQ(indexed.Type, kind.object.Type);
    EXPECT_EQ(indexed.Data, kind.object.Data);
    const ObjectRef owner = Member(kind.object, "Instance");
    EXPECT_EQ(TypeName(owner), "ventriloinstance");
    EXPECT_EQ(owner.Data, instance.Data);
  }
}

TEST_F(ElementMembers, Navigation_ParentsChildrenSiblingsAndWalk) {
  StartClient();
  const ObjectRef instance = Member(Ventrilo(), "Instances");
  ObjectRef out{nullptr, 0};

  EXPECT_EQ(Get(instance, "Parent", {}, &out), 0);
  EXPECT_EQ(out.Type, nullptr) << "a failing member leaves the result untouched";
  EXPECT_EQ(TypeName(Member(Element("Chorister"), "Parent")), "ventriloinstance");
  EXPECT_EQ(TypeName(Member(Element("Dave"), "Parent")), "ventriloserver");
  const ObjectRef aliceParent = Member(Element("Alice"), "Parent");
  EXPECT_EQ(TypeName(aliceParent), "ventrilochannel");
  EXPECT_EQ(ToText(aliceParent), "Lobby");

  EXPECT_EQ(ToText(Member(instance, "Children")), "Chorister");
  EXPECT_EQ(ToText(Member(Element("Lobby"), "Children")), "Alice");
  EXPECT_EQ(Get(Element("Alice"), "Children", {}, &out), 0);

  EXPECT_EQ(ToText(Member(Element("Alice"), "Next")), "Bob");
  EXPECT_EQ(Get(Element("Bob"), "Next", {}, &out), 0);
  EXPECT_EQ(ToText(Member(Element("Bob"), "Previous")), "Alice");
  EXPECT_EQ(Get(Element("Alice"), "Previous", {}, &out), 0);
  EXPECT_EQ(Get(instance, "Next", {}, &out), 0);

  std::vector<std::string> walk;
  ObjectRef step = instance;
  while (Get(step, "WalkTree", {}, &step) == 1)
    walk.push_back(ToText(step));
  EXPECT_EQ(walk, (std::vector<std::string>{"Chorister", "Dave", "Games", "Chess", "Carol", "Lobby", "Alice", "Bob"}));
  EXPECT_EQ(Get(Element("Bob"), "WalkTree", {}, &out), 0) << "the walk ends at the last element";
}

TEST_F(ElementMembers, Attributes_TextsNumbersAndIcons) {
  standin::StandinClient& client = StartClient();
  const ObjectRef alice = Element("Alice");
  EXPECT_EQ(Text(alice, "Name"), "Alice");
  EXPECT_EQ(Text(alice, "DisplayText"), "\"A\" Officer Alice");
  EXPECT_EQ(Text(alice, "Pronunciation"), "Al-iss");
  EXPECT_EQ(Text(alice, "Comment"), "brb");
  EXPECT_EQ(Text(alice, "CommentURL"), "http://example.org/alice");
  EXPECT_EQ(Text(alice, "Rank"), "Officer");
  EXPECT_EQ(Word(alice, "RankID"), 3u);
  EXPECT_EQ(Word(alice, "Flags"), 0x1u);
  EXPECT_EQ(Word(alice, "IconID"), 2u);
  EXPECT_EQ(Text(alice, "Icon"), "voiceoff.ico");
  EXPECT_EQ(Text(Element("Chorister"), "Icon"), "server.ico");
  EXPECT_EQ(Text(Element("Lobby"), "Icon"), "channel.ico");

  // An instance has no item: empty texts and no icon, which the uint shows as 4294967295.
  const ObjectRef instance = Member(Ventrilo(), "Instances");
  EXPECT_EQ(Text(instance, "Name"), "");
  EXPECT_EQ(Word(instance, "IconID"), 4294967295u);
  EXPECT_EQ(Text(instance, "Icon"), "none");

  client.SetIcon("Bob", 3);
  client.SetPronunciation("Bob", "Bobby");
  Settle();
  EXPECT_EQ(Word(Element("Bob"), "IconID"), 3u);
  EXPECT_EQ(Text(Element("Bob"), "Icon"), "voiceon.ico");
  EXPECT_EQ(Text(Element("Bob"), "Pronunciation"), "Bobby");
}

TEST_F(ElementMembers, FlagTests_PassTheMaskedBits) {
  // One user per flag letter, plus one with none.
  standin::Roster roster;
  roster.server.name = "Flags";
  const std::pair<const char*, std::uint32_t> letters[] = {
      {"A", 0x1}, {"C", 0x2}, {"N", 0x4}, {"G", 0x8}, {"M", 0x10}, {"T", 0x20}, {"W", 0x40}, {"S", 0x80}, {"P", 0x100}};
  for (const auto& [letter, bit] : letters)
    roster.users.push_back(Named(std::string("Has") + letter, letter));
  roster.users.push_back(Named("Plain"));
  StartClient(roster);

  const std::pair<const char*, std::uint32_t> tests[] = {
      {"IsAdmin", 0x1},       {"HasChatWindowOpen", 0x2}, {"IsChannelMuted", 0x4}, {"IsGlobalMuted", 0x8},
      {"IsLocalMuted", 0x10}, {"IsMuted", 0x1C},          {"IsPlayingTTS", 0x20},  {"IsPlayingWAV", 0x40},
      {"HasEffect", 0x80},    {"IsPhantom", 0x100}};
  for (const auto& [letter, bit] : letters) {
    const ObjectRef user = Element(std::string("Has") + letter);
    ASSERT_EQ(Word(user, "Flags"), bit);
    for (const auto& [member, mask] : tests) {
      const ObjectRef result = Member(user, member);
      EXPECT_EQ(result.Type, host->BoolType()) << member;
      EXPECT_EQ(result.Data, bit & mask) << member << " of the user flagged " << letter;
    }
  }
  const ObjectRef plain = Element("Plain");
  for (const auto& [member, mask] : tests)
    EXPECT_EQ(Word(plain, member), 0u) << member;
}

class ElementMetadata : public TypeFixture {};

TEST_F(ElementMetadata, SetGetUnset_CaseSensitiveKeysOnAnyKind) {
  StartClient();
  for (const char* name : {"Chorister", "Lobby", "Alice"}) {
    SCOPED_TRACE(name);
    ObjectRef element = Element(name);
    ObjectRef out{nullptr, 0};
    EXPECT_EQ(Get(element, "GetMetadata", {"team"}, &out), 0) << "absent key";
    EXPECT_EQ(Call(element, "SetMetadata", {"team", "red"}), 1);
    EXPECT_EQ(Call(element, "SetMetadata", {"Team", "blue", "ignored"}), 1);
    EXPECT_EQ(Text(element, "GetMetadata", {"team"}), "red");
    EXPECT_EQ(Text(element, "GetMetadata", {"Team", "ignored"}), "blue");
    EXPECT_EQ(Call(element, "SetMetadata", {"team", "green"}), 1);
    EXPECT_EQ(Text(element, "GetMetadata", {"team"}), "green");
    EXPECT_EQ(Call(element, "UnsetMetadata", {"team"}), 1);
    EXPECT_EQ(Get(element, "GetMetadata", {"team"}, &out), 0);
    EXPECT_EQ(Call(element, "UnsetMetadata", {"team"}), 1) << "unsetting an absent key succeeds";
    EXPECT_EQ(Text(element, "GetMetadata", {"Team"}), "blue");
  }
  // The instance keeps its own, separate from its tree.
  ObjectRef instance = Member(Ventrilo(), "Instances");
  EXPECT_EQ(Call(instance, "SetMetadata", {"team", "gold"}), 1);
  EXPECT_EQ(Text(instance, "GetMetadata", {"team"}), "gold");
}

TEST_F(ElementMetadata, MissingArguments_FailAndStoreNothing) {
  StartClient();
  ObjectRef alice = Element("Alice");
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(Get(alice, "GetMetadata", {}, &out), 0);
  EXPECT_EQ(Call(alice, "SetMetadata", {"lonely"}), 0);
  EXPECT_EQ(Get(alice, "GetMetadata", {"lonely"}, &out), 0) << "a failed SetMetadata stored something";
  EXPECT_EQ(Call(alice, "SetMetadata"), 0);
  EXPECT_EQ(Call(alice, "UnsetMetadata"), 0);
  // A host that passes a count but no strings is refused as well.
  EXPECT_EQ(alice.Type->GetMember(alice.Data, "GetMetadata", 1, nullptr, &out), 0);
  EXPECT_EQ(alice.Type->CallMethod(alice.Data, "SetMetadata", 2, nullptr), 0);
  const char* const nulls[] = {nullptr, nullptr};
  EXPECT_EQ(alice.Type->CallMethod(alice.Data, "SetMetadata", 2, nulls), 0);
  EXPECT_EQ(alice.Type->CallMethod(alice.Data, "UnsetMetadata", 1, nulls), 0);
  EXPECT_EQ(out.Type, nullptr);
}

class ElementSelect : public TypeFixture {};

TEST_F(ElementSelect, Select_SelectsTheItemAndSelectionFollowsLater) {
  standin::StandinClient& client = StartClient();
  ObjectRef bob = Element("Bob");
  EXPECT_EQ(Word(bob, "IsSelected"), 0u);

  sim::StartRecording();
  EXPECT_EQ(Call(bob, "Select"), 1);
  sim::StopRecording();
  const std::vector<sim::CallRecord> sent = TakeActions(client.TreeView());
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].message, static_cast<UINT>(TVM_SELECTITEM));
  EXPECT_EQ(sent[0].wParam, static_cast<WPARAM>(TVGN_CARET));
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(sent[0].lParam), client.Item("Bob"));
  EXPECT_EQ(sim::TreeSelection(client.TreeView()), client.Item("Bob"));

  Settle();
  EXPECT_EQ(Word(Element("Bob"), "IsSelected"), 1u);
  EXPECT_EQ(Word(Element("Alice"), "IsSelected"), 0u);
}

TEST_F(ElementSelect, Select_OnInstanceOrRefusedReportsTrueAnyway) {
  standin::StandinClient& client = StartClient();
  ObjectRef instance = Member(Ventrilo(), "Instances");
  sim::StartRecording();
  EXPECT_EQ(Call(instance, "Select"), 1);
  sim::StopRecording();
  EXPECT_TRUE(TakeActions(client.TreeView()).empty()) << "an instance has no item to select";
  EXPECT_EQ(Word(instance, "IsSelected"), 0u);

  ObjectRef dave = Element("Dave");
  sim::FailMessage(client.TreeView(), TVM_SELECTITEM, 1);
  EXPECT_EQ(Call(dave, "Select"), 1);
  EXPECT_NE(sim::TreeSelection(client.TreeView()), client.Item("Dave"));
}

class ElementNames : public TypeFixture {};

TEST_F(ElementNames, UnknownNames_AreMinusOneThroughTheWholeChain) {
  StartClient();
  ObjectRef objects[] = {Member(Ventrilo(), "Instances"), Element("Chorister"), Element("Lobby"), Element("Alice")};
  for (ObjectRef& object : objects) {
    SCOPED_TRACE(TypeName(object));
    ObjectRef out{nullptr, 0};
    EXPECT_EQ(Get(object, "Nonsense", {}, &out), -1);
    EXPECT_EQ(Get(object, "name", {}, &out), -1) << "names are case-sensitive";
    EXPECT_EQ(Call(object, "Nonsense"), -1);
    EXPECT_EQ(Get(object, "Select", {}, &out), -1) << "a method is no member";
    EXPECT_EQ(Call(object, "Name"), -1) << "a member is no method";
  }
  ObjectRef out{nullptr, 0};
  ObjectRef ventrilo = Ventrilo();
  EXPECT_EQ(Get(ventrilo, "Name", {}, &out), -1) << "\"ventrilo\" has no parent type";
  EXPECT_EQ(Call(ventrilo, "Select"), -1);
}

}  // namespace
