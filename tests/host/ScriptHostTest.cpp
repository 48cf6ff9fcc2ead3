// Running scripts, reporting their errors, the console, and the types and
// built-ins the host serves.
#include "tests/host/ThingFixture.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

using ScriptErrors = ThingFixture;
using ConsoleOutput = ThingFixture;
using HostTypes = ThingFixture;

TEST_F(ScriptErrors, ErrorInAFileGivesItsFileAndLine) {
  std::string path = testing::TempDir() + "host_error_script_" + std::to_string(getpid()) + ".lua";
  std::ofstream(path) << "local x = 1\nerror('boom')\n";
  EXPECT_FALSE(host.RunFile(path));
  EXPECT_EQ("script error: " + path + ":2: boom", LastError());
  std::ofstream(path) << "x = = 1\n";
  EXPECT_FALSE(host.RunFile(path));
  EXPECT_NE(std::string::npos, LastError().find(path + ":1:")) << LastError();
  std::remove(path.c_str());
  EXPECT_FALSE(host.RunFile(path));
  EXPECT_NE(std::string::npos, LastError().find("cannot open")) << LastError();
}

TEST_F(ScriptErrors, StateLivesOnAfterAnError) {
  EXPECT_FALSE(Run("kept = 'yes'; error({})"));
  EXPECT_EQ("script error: (error object is a table value)", LastError());
  EXPECT_EQ("yes", Print("kept"));
}

TEST_F(ConsoleOutput, ModuleLinesAreFormattedAndSplit) {
  host.ConsoleWrite("Chorister version %s Loaded", "20081015");
  host.ConsoleWrite("GetVentriloLocator failed\n");
  host.ConsoleWrite("%d\n%s", 1, "two");
  EXPECT_EQ((std::vector<std::string>{"Chorister version 20081015 Loaded", "GetVentriloLocator failed", "1", "two"}),
            errors);
  EXPECT_TRUE(output.empty());
}

TEST_F(ConsoleOutput, PrintJoinsValuesWithTabs) {
  EXPECT_EQ("1\tx\tnil\ttrue\tThing \"gamma\" #3", Print("1, 'x', nil, true, Things[3]"));
}

TEST_F(ConsoleOutput, LinesFromThePollingThreadStayWhole) {
  constexpr int kLines = 200;
  std::thread polling([this] {
    for (int i = 0; i < kLines; ++i) {
      host.ConsoleWrite("from the thread %d", i);
    }
  });
  ASSERT_TRUE(Run("for i = 0, " + std::to_string(kLines - 1) + " do print('from the script', i) end"));
  polling.join();
  ASSERT_EQ(static_cast<std::size_t>(kLines), output.size());
  ASSERT_EQ(static_cast<std::size_t>(kLines), errors.size());
  for (const std::string& line : output) {
    EXPECT_EQ(0u, line.rfind("from the script\t", 0)) << line;
  }
  for (const std::string& line : errors) {
    EXPECT_EQ(0u, line.rfind("from the thread ", 0)) << line;
  }
}

TEST_F(HostTypes, BuiltInsAndInstalledTypesAreFoundByName) {
  for (const char* name : {"string", "uint", "bool"}) {
    ASSERT_NE(nullptr, host.LookupType(name, 0, 0)) << name;
    EXPECT_STREQ(name, host.LookupType(name, 0, 0)->GetName());
  }
  EXPECT_EQ(&thing, host.LookupType("thing", 0, 0));
  EXPECT_EQ(nullptr, host.LookupType("nothing", 0, 0));
  EXPECT_FALSE(host.InstallType(&thing));
  EXPECT_TRUE(host.UninstallType(&thing));
  EXPECT_FALSE(host.UninstallType(&thing));
  EXPECT_EQ(nullptr, host.LookupType("thing", 0, 0));
}

TEST_F(HostTypes, BuiltInsConvertToText) {
  char text[8];
  EXPECT_TRUE(host.LookupType("string", 0, 0)->ToText(reinterpret_cast<std::uintptr_t>("truncated"), text, 4));
  EXPECT_STREQ("tru", text);
  EXPECT_TRUE(host.LookupType("uint", 0, 0)->ToText(0x1FFFFFFFFull, text, sizeof text));
  EXPECT_STREQ("4294967", text);
  EXPECT_TRUE(host.LookupType("bool", 0, 0)->ToText(0x100, text, sizeof text));
  EXPECT_STREQ("true", text);
}
