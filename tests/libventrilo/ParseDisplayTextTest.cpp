#include "libventrilo/ParseDisplayText.h"
#include "libventrilo/TreeItemInfo.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* displayText;
  const char* name;
  std::uint32_t flags;
  const char* rank;
};

TEST(ParseDisplayText, FlagsAndRank_FromTheTextBeforeTheName) {
  const Case cases[] = {
      {"\"AM\" Officer Bob (away)", "Bob", 0x011, "Officer"},
      {"Lobby", "Lobby", 0, ""},
      {"[Guest] Sam", "Sam", 0, "[Guest]"},
      {"\"ACP\"Sam", "Sam", 0x103, ""},
      {"\"AC Sam", "Sam", 0x003, ""},
      {"\"ac\" Sam", "Sam", 0, ""},
      {"\"ACNGMTWSP\" Sam", "Sam", 0x1FF, ""},
      {"\"A-x B\"   Chief   Sam", "Sam", 0x001, "Chief"},
      {"\"M\" Sam \"A\" Sam", "Sam", 0x010, ""},
      {"Rank Sam", "", 0, ""},
      {"Major Tom  Tom", "Tom", 0, "Major"},
      // A name that also stands among the letters or inside the rank.
      {"\"A\" A", "A", 0x001, ""},
      {"\"AM\" M (away)", "M", 0x011, ""},
      {"Officer Off", "Off", 0, "Officer"},
      {"\"C\" Officer Off (away)", "Off", 0x002, "Officer"},
      {"\"GM\"  Tom Tom", "Tom", 0x018, ""},
      // A name that starts with a quote and starts the text: no letters.
      {"\" \"A\"", "\"", 0, ""},
      {"\"A\"Bo \"A\"Bo", "\"A\"Bo", 0, ""},
      {"\"A\" Bo \"A\"Bo", "\"A\"Bo", 0x001, "Bo"},
      // No place the client draws a name at: its first occurrence counts.
      {"Bob(away)", "Bob", 0, ""},
      {"\"P\" Sir Bobby", "Bob", 0x100, "Sir"},
      {"\"A\"", "A", 0, ""},
  };
  for (const Case& c : cases) {
    TreeItemInfo info;
    info.displayText = c.displayText;
    info.name = c.name;
    info.flags = 0xDEAD;
    ParseDisplayText(&info);
    EXPECT_EQ(info.flags, c.flags) << c.displayText;
    EXPECT_EQ(info.rank, c.rank) << c.displayText;
  }
}

TEST(ParseDisplayText, NameMissing_ReportsAndKeepsFlagsAndRank) {
  TreeItemInfo info;
  info.displayText = "\"A\" Officer Bob";
  info.name = "Robert";
  info.flags = 0x40;
  info.rank = "kept";
  testing::internal::CaptureStdout();
  ParseDisplayText(&info);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to find username in \"A\" Officer Bob\n");
  EXPECT_EQ(info.flags, 0x40u);
  EXPECT_EQ(info.rank, "kept");
}

}  // namespace
