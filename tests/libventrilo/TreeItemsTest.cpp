#include "libventrilo/Server.h"
#include "tests/libventrilo/LibraryTest.h"

#include <memory>

namespace {

TreeItemInfo Named(const std::string& name) {
  TreeItemInfo info;
  info.name = name;
  return info;
}

// A server with users U1..U3 and channels A (holding sub-channel A1) and B.
class TreeItems : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    for (const char* name : {"U1", "U2", "U3"})
      server_.AddUser(std::make_unique<User>(Named(name), nullptr));
    Channel* a = server_.AddChannel(std::make_unique<Channel>(Named("A"), nullptr));
    a->AddChannel(std::make_unique<Channel>(Named("A1"), nullptr));
    server_.AddChannel(std::make_unique<Channel>(Named("B"), nullptr));
  }

  Server server_{Named("S"), nullptr};
};

TEST_F(TreeItems, Enumerate_AnswerOneStopsOthersGoOn) {
  for (int answer : {0, 2, -1}) {
    ItemCollector all;
    all.answer = answer;
    EXPECT_EQ(server_.EnumerateUsers(&all), 3);
    EXPECT_EQ(all.users.size(), 3u);
  }
  ItemCollector first;
  first.answer = 1;
  EXPECT_EQ(server_.EnumerateUsers(&first), 1);
  EXPECT_EQ(first.users.size(), 1u);
  EXPECT_EQ(server_.EnumerateChannels(&first), 1);

  IChannel* b = ChannelNamed(&server_, "B");
  ItemCollector none;
  EXPECT_EQ(b->EnumerateUsers(&none), 0);
  EXPECT_EQ(b->EnumerateChannels(&none), 0);
}

TEST_F(TreeItems, Server_BothViewsAnswerAlikeDirectChildrenOnly) {
  IServer* asServer = &server_;
  IChannel* asChannel = &server_;
  EXPECT_STREQ(asServer->GetName(), asChannel->GetName());
  EXPECT_EQ(asServer->GetIconID(), -1);
  EXPECT_EQ(ChannelNames(asServer), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(ChannelNames(asChannel), ChannelNames(asServer));
  EXPECT_EQ(UserNames(asChannel), UserNames(asServer));
  EXPECT_EQ(ChannelNames(ChannelNamed(asServer, "A")), std::vector<std::string>{"A1"});
}

}  // namespace
