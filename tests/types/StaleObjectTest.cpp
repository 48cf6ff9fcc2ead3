// Objects that a script keeps past the life of their element: every member
// and method fails cleanly, and nothing reaches the freed element (the
// AddressSanitizer build proves the latter).
#include "tests/types/TypeFixture.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const char* const kElementMembers[] = {"ID",
                                       "Parent",
                                       "Next",
                                       "Previous",
                                       "Children",
                                       "WalkTree",
                                       "Type",
                                       "Instance",
                                       "IconID",
                                       "DisplayText",
                                       "Name",
                                       "Pronunciation",
                                       "Comment",
                                       "CommentURL",
                                       "Rank",
                                       "RankID",
                                       "Flags",
                                       "Icon",
                                       "GetMetadata",
                                       "IsAdmin",
                                       "HasChatWindowOpen",
                                       "IsChannelMuted",
                                       "IsGlobalMuted",
                                       "IsLocalMuted",
                                       "IsMuted",
                                       "IsPlayingTTS",
                                       "IsPlayingWAV",
                                       "HasEffect",
                                       "IsPhantom",
                                       "IsSelected"};
const char* const kInstanceMembers[] = {"Find", "Me", "NextInstance", "PreviousInstance", "Selection"};
const char* const kElementMethods[] = {"SetMetadata", "UnsetMetadata", "Select"};

class StaleObjects : public TypeFixture {
 protected:
  void SetUp() override {
    TypeFixture::SetUp();
    // A host that compiles any query, so Find fails for the object alone.
    host->parseFilter = [](const char*) -> FilterHandle { return 1; };
    host->matchFilter = [](FilterHandle, ObjectRef*, unsigned char* matched) { return *matched = 1, true; };
    host->releaseFilter = [](FilterHandle) {};
  }

  // Every member and method that the object's type chain knows fails (0, not
  // the -1 of an unknown name), with arguments enough for each, and leaves
  // the result untouched; the object no longer converts to text.
  void ExpectDead(ObjectRef object) {
    SCOPED_TRACE(TypeName(object));
    const Args args = {"key", "value"};
    std::vector<const char*> members(std::begin(kElementMembers), std::end(kElementMembers));
    std::vector<const char*> methods(std::begin(kElementMethods), std::end(kElementMethods));
    if (TypeName(object) == "ventriloinstance")
      members.insert(members.end(), std::begin(kInstanceMembers), std::end(kInstanceMembers));
    if (TypeName(object) == "ventrilochannel" || TypeName(object) == "ventriloserver")
      methods.push_back("Join");
    for (const char* member : members) {
      ObjectRef out{nullptr, 0};
      EXPECT_EQ(Get(object, member, args, &out), 0) << member;
      EXPECT_EQ(out.Type, nullptr) << member;
    }
    for (const char* method : methods)
      EXPECT_EQ(Call(object, method, args), 0) << method;
    EXPECT_EQ(ToText(object), "<failed>");
  }
};

TEST_F(StaleObjects, KeptPastTheirPulse_FailEverywhere) {
  standin::StandinClient& client = StartClient();
  std::vector<ObjectRef> kept = {Element("Bob")};
  client.Remove("Bob");
  Settle();
  ExpectDead(kept.back());

  kept = {Member(Ventrilo(), "Instances"), Element("Chorister"), Element("Games"), Element("Carol")};
  client.Exit();
  Settle();
  for (const ObjectRef& object : kept)
    ExpectDead(object);
}

TEST_F(StaleObjects, KeptIntoALaterHandlerOfThePass_FailThere) {
  standin::StandinClient& client = StartClient();
  const ObjectRef lobby = Element("Lobby");
  const ObjectRef alice = Element("Alice");
  // Lobby leaves its parent only after its users were destroyed: a handler of
  // that event still holding Alice must find her gone.
  int seen = 0;
  host->onFire = [&](const RecordingHost::FiredEvent& event) {
    if (event.name == "Ventrilo.OnLeavingParent" && event.context.Data == lobby.Data) {
      ++seen;
      ExpectDead(alice);
      EXPECT_EQ(Text(event.context, "Name"), "Lobby") << "the context itself is still alive";
    }
    return 0;
  };
  client.Remove("Lobby");
  Settle();
  host->onFire = nullptr;
  EXPECT_EQ(seen, 1);
}

TEST_F(StaleObjects, ForeignValueWords_NameNoElement) {
  StartClient();
  const ObjectRef alice = Element("Alice");
  // No element object carries the word 0 or Alice's id with the word's top
  // bit set: with 64-bit words beyond the id range (its low 32 bits are
  // Alice's id, so a truncating lookup finds her), with 32-bit words an id
  // that no element has.
  ExpectDead({alice.Type, 0});
  ExpectDead({alice.Type, (std::uintptr_t{1} << (std::numeric_limits<std::uintptr_t>::digits - 1)) | alice.Data});
  // The instance type takes only instance elements for its own members.
  const ObjectRef asInstance = {Member(Ventrilo(), "Instances").Type, alice.Data};
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(Get(asInstance, "Me", {}, &out), 0);
  EXPECT_EQ(ToText(asInstance), "<failed>");
}

}  // namespace
