// The texts a client draws for its items and the generated large roster.
#include "standin/Roster.h"

#include <gtest/gtest.h>

#include <set>

using standin::DisplayText;
using standin::Entry;
using standin::MakeUser;

namespace {

Entry Drawn(const std::string& name, const std::string& rank, const std::string& flags, const std::string& suffix) {
  Entry entry = MakeUser(name, flags, rank);
  entry.suffix = suffix;
  return entry;
}

}  // namespace

TEST(Roster, DisplayText_LeavesOutEmptyParts) {
  EXPECT_EQ(DisplayText(Drawn("Bob", "Officer", "AM", "(away)")), "\"AM\" Officer Bob (away)");
  EXPECT_EQ(DisplayText(Drawn("Bob", "", "ACP", "")), "\"ACP\" Bob");
  EXPECT_EQ(DisplayText(Drawn("Sam", "[Guest]", "", "")), "[Guest] Sam");
  EXPECT_EQ(DisplayText(Drawn("Lobby", "", "", "")), "Lobby");
  EXPECT_EQ(DisplayText(Drawn("Lobby", "", "", "(3)")), "Lobby (3)");
  EXPECT_EQ(DisplayText(Drawn("", "", "", "")), "");
}

TEST(Roster, LargeRoster_SpreadsUniqueUsersOverChannels) {
  const standin::Roster roster = standin::MakeLargeRoster(1000, 50);
  ASSERT_EQ(roster.channels.size(), 50u);
  std::set<std::string> names{roster.server.name};
  for (const standin::Channel& channel : roster.channels) {
    EXPECT_EQ(channel.users.size(), 20u);
    names.insert(channel.entry.name);
    for (const Entry& user : channel.users) {
      names.insert(user.name);
      EXPECT_FALSE(user.pronunciation.empty() || user.comment.empty() || user.commentURL.empty());
    }
  }
  EXPECT_EQ(names.size(), 1051u);
  EXPECT_EQ(roster.localUser, "User1");
  EXPECT_EQ(standin::MakeLargeRoster(4, 0).users.size(), 4u);
}
