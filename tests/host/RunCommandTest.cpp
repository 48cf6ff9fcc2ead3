// The README's run command, shortened: it builds what is missing and runs the
// demo, which must show every event and a roster.
#include "tests/host/CommandResult.h"

#include <gtest/gtest.h>

namespace {

const char* const kEvents[] = {
    "LeavingParent",  "JoinedParent",    "DisplayTextChanged", "PronunciationChanged",
    "NameChanged",    "CommentChanged",  "CommentURLChanged",  "RankChanged",
    "RankIDChanged",  "FlagsChanged",    "IconChanged",        "Online",
    "Offline",        "LeavingInstance", "JoinedInstance",     "InstanceOpened",
    "InstanceClosed",
};

}  // namespace

TEST(RunCommand, ShortDemoShowsEveryEventAndTheRoster) {
  CommandResult result =
      CommandResult::Of("CHORISTER_PRESET=" BUILD_PRESET " " SOURCE_DIR "/scripts/run.sh --seconds 6");
  ASSERT_EQ(0, result.exitCode) << result.output;
  for (const char* event : kEvents)
    EXPECT_TRUE(result.Contains(std::string(" Ventrilo.On") + event + " ")) << event;
  EXPECT_TRUE(result.Contains("Chorister version 20081015 Loaded"));
  EXPECT_TRUE(result.Contains("  [Guild Hall]  -- Raid night is Thursday"));
  EXPECT_TRUE(result.Contains("Alice (admin)  <- me"));
  EXPECT_FALSE(result.Contains("script error") || result.Contains("error in a")) << result.output;
}

TEST(RunCommand, EchoOptionSwitchesTheModulesEcho) {
  CommandResult result = CommandResult::Of(std::string(HOST_EXECUTABLE) + " --echo --seconds 1 --script " SOURCE_DIR
                                                                          "/examples/roster.lua");
  ASSERT_EQ(0, result.exitCode) << result.output;
  EXPECT_TRUE(result.Contains("[Ventrilo.OnInstanceOpened] Context(type)=ventriloinstance Context.ID="));
  EXPECT_TRUE(result.Contains("[Ventrilo.OnJoinedInstance] Context(type)=ventrilouser Context.ID="));
}
