// The top-level object "Ventrilo": the oldest instance, the event echo switch,
// and Ventrilo[<id>] for any live element.
#include "tests/types/TypeFixture.h"

#include "module/Chorister.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class TopLevel : public TypeFixture {};

TEST_F(TopLevel, Instances_IsTheOldestAndLeadsToTheNewer) {
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(Get(Ventrilo(), "Instances", {}, &out), 0) << "no client yet";

  StartClient();
  standin::Roster second = SmallRoster();
  second.server.name = "Second";
  StartClient(second);
  const ObjectRef oldest = Member(Ventrilo(), "Instances");
  EXPECT_EQ(TypeName(oldest), "ventriloinstance");
  EXPECT_EQ(ToText(Member(oldest, "Children")), "Chorister");
  EXPECT_EQ(Get(oldest, "PreviousInstance", {}, &out), 0) << "the oldest has no older one";
  const ObjectRef newer = Member(oldest, "NextInstance");
  EXPECT_EQ(TypeName(newer), "ventriloinstance");
  EXPECT_EQ(ToText(Member(newer, "Children")), "Second");
  EXPECT_EQ(Member(newer, "PreviousInstance").Data, oldest.Data);
  EXPECT_EQ(Get(newer, "NextInstance", {}, &out), 0) << "the newest has no newer one";

  clients.front()->Exit();
  Settle();
  const ObjectRef remaining = Member(Ventrilo(), "Instances");
  EXPECT_EQ(remaining.Data, newer.Data);
  EXPECT_EQ(Get(remaining, "PreviousInstance", {}, &out), 0);

  clients.back()->Exit();
  Settle();
  EXPECT_EQ(Get(Ventrilo(), "Instances", {}, &out), 0);
  EXPECT_EQ(out.Type, nullptr);
}

TEST_F(TopLevel, SetEventSpam_SwitchesTheEcho) {
  ObjectRef ventrilo = Ventrilo();
  // Alternating, so every setting has something to change.
  const std::pair<const char*, bool> settings[] = {
      {"on", true},     {"off", false},   {"TRUE", true}, {"false", false}, {"1", true},
      {"yes", false},   {"7", true},      {"0", false},   {"-1", true},     {"onward", false},
      {" 12abc", true}, {"abc12", false}, {"On", true},   {"", false},      {"99999999999999999999", true}};
  for (const auto& [setting, on] : settings) {
    EXPECT_EQ(Call(ventrilo, "SetEventSpam", {setting}), 1) << setting;
    EXPECT_EQ(Chorister::Get()->IsEventEchoOn(), on) << setting;
  }
  EXPECT_EQ(Call(ventrilo, "SetEventSpam"), 0) << "no argument";
  EXPECT_TRUE(Chorister::Get()->IsEventEchoOn()) << "a failed call keeps the setting";
  EXPECT_EQ(Call(ventrilo, "SetEventSpam", {"off", "on"}), 1);
  EXPECT_FALSE(Chorister::Get()->IsEventEchoOn()) << "only the first argument counts";
}

TEST_F(TopLevel, SetEventSpam_EchoesTheNextEvents) {
  standin::StandinClient& client = StartClient();
  ObjectRef ventrilo = Ventrilo();
  ASSERT_EQ(Call(ventrilo, "SetEventSpam", {"on"}), 1);
  client.Rename("Bob", "Robert");
  Settle();
  const std::vector<std::string> console = host->Console();
  EXPECT_TRUE(std::any_of(console.begin(), console.end(), [](const std::string& line) {
    return line.find("[Ventrilo.OnNameChanged]") == 0 && line.find("Robert") != std::string::npos;
  }));
}

TEST_F(TopLevel, Index_ReachesLiveElementsOnly) {
  standin::StandinClient& client = StartClient();
  const ObjectRef bob = Element("Bob");
  const std::string bobId = std::to_string(Word(bob, "ID"));
  ObjectRef out{nullptr, 0};

  // Read as atoi reads it: leading blanks and a sign, digits up to the first other character.
  for (const std::string& index : {bobId, "  " + bobId, "+" + bobId + "th", bobId + " 99"}) {
    ASSERT_TRUE(Index(index, &out)) << index;
    EXPECT_EQ(TypeName(out), "ventrilouser");
    EXPECT_EQ(out.Data, bob.Data);
  }
  // No id, or none of a live element. An index beyond 32 bits must not wrap
  // around onto a live id.
  const std::string wrapped = std::to_string((std::uint64_t{1} << 32) + Word(bob, "ID"));
  for (const std::string& index :
       std::vector<std::string>{"0", "x", "", "-" + bobId, wrapped, "99999999999999999999999"}) {
    out = {nullptr, 0};
    EXPECT_FALSE(Index(index, &out)) << index;
    EXPECT_EQ(out.Type, nullptr) << index;
  }
  const char* const none[] = {nullptr};
  EXPECT_FALSE(host->globals.at("Ventrilo")(1, none, &out)) << "a null index text";

  client.Remove("Bob");
  Settle();
  EXPECT_FALSE(Index(bobId, &out)) << "Bob left; his id no longer resolves";
  client.AddUser("Lobby", Named("Bob"));
  Settle();
  EXPECT_NE(std::to_string(Word(Element("Bob"), "ID")), bobId) << "ids are not reused";
  EXPECT_FALSE(Index(bobId, &out));
}

}  // namespace
