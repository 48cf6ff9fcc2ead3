// "ventriloinstance": the local user, the selection, the instance list and the
// query search, on top of everything "ventriloelement" answers.
#include "tests/types/TypeFixture.h"

#include <gtest/gtest.h>

namespace {

class InstanceMembers : public TypeFixture {};

TEST_F(InstanceMembers, MeAndSelection_FollowTheAppliedSnapshots) {
  clients.push_back(std::make_unique<standin::StandinClient>(SmallRoster()));
  standin::StandinClient& client = *clients.back();
  Settle();  // opened, no snapshot applied yet
  ObjectRef instance = Member(Ventrilo(), "Instances");
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(Get(instance, "Me", {}, &out), 0);
  EXPECT_EQ(Get(instance, "Selection", {}, &out), 0);

  client.Select("Lobby");
  Settle();
  const ObjectRef me = Member(instance, "Me");
  EXPECT_EQ(TypeName(me), "ventrilouser");
  EXPECT_EQ(ToText(me), "Alice");
  const ObjectRef lobby = Member(instance, "Selection");
  EXPECT_EQ(TypeName(lobby), "ventrilochannel");
  EXPECT_EQ(ToText(lobby), "Lobby");

  client.Select("");
  Settle();
  const ObjectRef server = Member(instance, "Selection");
  EXPECT_EQ(TypeName(server), "ventriloserver") << "the selection comes with its own type";
  EXPECT_EQ(Text(server, "Type"), "Server");

  client.Disconnect();
  Settle();
  EXPECT_EQ(Get(instance, "Me", {}, &out), 0);
  EXPECT_EQ(Get(instance, "Selection", {}, &out), 0);
  EXPECT_EQ(out.Type, nullptr);
}

// Find goes through the host's filter. The test's query language is
// "<member>=<text>": an element matches when the member reads as the text.
class InstanceFind : public TypeFixture {
 protected:
  void SetUp() override {
    TypeFixture::SetUp();
    host->parseFilter = [this](const char* query) -> FilterHandle {
      ++parsed;
      const std::string text = query;
      const std::size_t equals = text.find('=');
      if (equals == std::string::npos)
        return 0;
      queries.push_back({text.substr(0, equals), text.substr(equals + 1)});
      return queries.size();
    };
    host->matchFilter = [this](FilterHandle filter, ObjectRef* object, unsigned char* matched) {
      const auto& [member, expected] = queries.at(filter - 1);
      visited.push_back(ToText(*object));
      ObjectRef value{nullptr, 0};
      *matched = Get(*object, member.c_str(), {}, &value) == 1 && host->Text(value) == expected;
      return true;
    };
    host->releaseFilter = [this](FilterHandle) { ++released; };
  }

  std::vector<std::pair<std::string, std::string>> queries;
  std::vector<std::string> visited;
  int parsed = 0;
  int released = 0;
};

TEST_F(InstanceFind, Find_FirstMatchOfThePreOrderWalkWins) {
  StartClient();
  const ObjectRef instance = Member(Ventrilo(), "Instances");

  const ObjectRef server = Member(instance, "Find", {"Type=Server"});
  EXPECT_EQ(TypeName(server), "ventriloserver");
  EXPECT_EQ(visited, std::vector<std::string>{"Chorister"}) << "the server comes first";

  visited.clear();
  const ObjectRef carol = Member(instance, "Find", {"Name=Carol", "ignored"});
  EXPECT_EQ(TypeName(carol), "ventrilouser");
  EXPECT_EQ(visited, (std::vector<std::string>{"Chorister", "Dave", "Games", "Chess", "Carol"}));

  // Several match: the first in the walk, children in name order (Games before
  // Lobby, although the client lists Lobby first).
  EXPECT_EQ(ToText(Member(instance, "Find", {"Type=Channel"})), "Games");
  EXPECT_EQ(ToText(Member(instance, "Find", {"Type=User"})), "Dave");
  EXPECT_EQ(ToText(Member(instance, "Find", {"IsAdmin=true"})), "Alice");
  EXPECT_EQ(released, parsed) << "every compiled query is released";
}

TEST_F(InstanceFind, Find_FailsWithoutArgumentQueryOrMatch) {
  StartClient();
  const ObjectRef instance = Member(Ventrilo(), "Instances");
  ObjectRef out{nullptr, 0};

  EXPECT_EQ(Get(instance, "Find", {}, &out), 0);
  EXPECT_EQ(parsed, 0) << "no query to compile";

  EXPECT_EQ(Get(instance, "Find", {"no query here"}, &out), 0);
  EXPECT_EQ(parsed, 1);
  EXPECT_TRUE(visited.empty()) << "a query the host cannot compile is not tried";
  EXPECT_EQ(released, 0);

  EXPECT_EQ(Get(instance, "Find", {"Name=Zed"}, &out), 0);
  EXPECT_EQ(visited.size(), 8u) << "every element was tried";
  EXPECT_EQ(released, 1);
  EXPECT_EQ(out.Type, nullptr);
}

}  // namespace
