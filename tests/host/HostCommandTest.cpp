// The chorister-host command over a fake module: options, refusals, and a
// script whose handlers run from the pulse, fail, and end the run.
#include "tests/host/CommandResult.h"
#include "tests/host/ErrorReports.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

class HostCommand : public testing::Test {
 protected:
  static std::string Fake(const char* name) { return std::string(FAKE_MODULE_DIR) + "/" + name + ".so"; }

  // Runs the host without a desktop, with `script` (written to a file) and
  // further options.
  CommandResult Host(const std::string& script, const std::string& options) {
    std::ofstream(scriptPath_) << script;
    return CommandResult::Of(std::string(HOST_EXECUTABLE) + " --desktop none --script " + scriptPath_ + " " + options);
  }

  void TearDown() override { std::remove(scriptPath_.c_str()); }

  // One file per process, as CTest runs tests in parallel; short, so that
  // Lua's messages give the whole path.
  std::string scriptPath_ = testing::TempDir() + "hostcmd_" + std::to_string(getpid()) + ".lua";
};

TEST_F(HostCommand, HelpDescribesEveryOption) {
  CommandResult result = CommandResult::Of(std::string(HOST_EXECUTABLE) + " --help");
  EXPECT_EQ(0, result.exitCode);
  for (const char* option :
       {"--script", "--module", "--seconds", "--echo", "--desktop", "demo", "none", "instance:Find(", "130"}) {
    EXPECT_TRUE(result.Contains(option)) << option;
  }
}

TEST_F(HostCommand, BadOptionsAreUsageErrors) {
  for (const char* options : {"--bogus", "--seconds soon", "--seconds=-1", "--desktop=windows", "--script"}) {
    CommandResult result = CommandResult::Of(std::string(HOST_EXECUTABLE) + " " + options);
    EXPECT_EQ(2, result.exitCode) << options;
    EXPECT_EQ(1u, result.Lines().size()) << result.output;
  }
}

TEST_F(HostCommand, ModuleThatCannotServeIsRefusedWithOneLine) {
  struct Case {
    const char* module;
    std::string line;
  };
  const Case cases[] = {
      {"fake_module_v22", "chorister-host: module " + Fake("fake_module_v22") +
                              " is built for interface version 22; this host serves version 23"},
      {"fake_module_initfails", "chorister-host: module " + Fake("fake_module_initfails") + " failed to initialise"},
  };
  for (const Case& c : cases) {
    CommandResult result = Host("print('never runs')", "--module " + Fake(c.module));
    EXPECT_EQ(1, result.exitCode);
    EXPECT_EQ(std::vector<std::string>{c.line}, result.Lines());
  }
  CommandResult result = CommandResult::Of(std::string(HOST_EXECUTABLE) + " --desktop none --script /nonexistent.lua");
  EXPECT_EQ(1, result.exitCode);
  EXPECT_EQ(std::vector<std::string>{"chorister-host: cannot read the script /nonexistent.lua"}, result.Lines());
}

TEST_F(HostCommand, ScriptThatDoesNotCompileEndsTheHostAtOnce) {
  CommandResult result = Host("print('never runs')\nx = = 1\n", "--module " + Fake("fake_module") + " --seconds 60");
  EXPECT_EQ(1, result.exitCode);
  EXPECT_EQ(std::vector<std::string>{"script error: " + scriptPath_ + ":2: unexpected symbol near '='"},
            result.Lines());
  const std::string folder = testing::TempDir();
  result = CommandResult::Of(std::string(HOST_EXECUTABLE) + " --desktop none --seconds 60 --script " + folder);
  EXPECT_EQ(1, result.exitCode);
  EXPECT_EQ(std::vector<std::string>{"script error: cannot read " + folder + ": Is a directory"}, result.Lines());
}

TEST_F(HostCommand, InterruptStopsARunawayScriptAndEndsTheRun) {
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer defers a signal's handler until the thread next enters its
  // runtime, which a loop of pure Lua never does: the host would never see it.
  GTEST_SKIP() << "signals reach a pure Lua loop only without ThreadSanitizer";
#endif
  // io.popen starts the shell without waiting for it, so the signal comes
  // while the loop runs (or just before it), never while the host waits.
  struct Case {
    std::string script;
    std::string options;
    const char* prefix;
    int exitCode;
    std::vector<std::string> lines;  // around the interrupt's report
  };
  const std::string fake = "--module " + Fake("fake_module") + " --seconds 0";
  const std::vector<std::string> fakeLines = {"fake module initialised", "stopping", "fake module shut down"};
  const Case cases[] = {
      {"io.popen('kill -INT $PPID')\nwhile true do end\n", fake, "script error: ", 130, fakeLines},
      {"on('Host.OnPulse', function() io.popen('kill -TERM $PPID'); while true do end end)\n", fake,
       "error in a handler of Host.OnPulse: ", 143, fakeLines},
      // An event that fires many times in one pulse (every element of the
      // first roster joins): the rest of the pulse is dropped.
      {"on('Ventrilo.OnJoinedInstance', function() io.popen('kill -INT $PPID'); while true do end end)\n",
       "--desktop demo --seconds 60", "error in a handler of Ventrilo.OnJoinedInstance: ", 130,
       {"Chorister version 20081015 Loaded", "stopping"}},
      // A second interrupt stops Host.OnStop; the module is still shut down.
      {"on('Host.OnStop', function() io.popen('kill -INT $PPID'); while true do end end)\n"
       "on('Host.OnStop', function() print('never runs') end)\n"
       "io.popen('kill -INT $PPID')\nwhile true do end\n",
       fake, "script error: ", 130, fakeLines},
  };
  for (const Case& c : cases) {
    CommandResult result = Host("on('Host.OnStop', function() print('stopping') end)\n" + c.script, c.options);
    EXPECT_EQ(c.exitCode, result.exitCode) << c.script;
    std::vector<std::string> reports;
    for (const std::string& line : result.Lines()) {
      ErrorReports::Add(reports, line);
    }
    ASSERT_GE(reports.size(), 2u) << result.output;
    EXPECT_EQ(c.lines.front(), reports[0]);
    // Where the script was stopped ("file:line: ") comes in between.
    const std::string report = reports[1].substr(0, reports[1].find('\n'));
    EXPECT_TRUE(report.starts_with(c.prefix) && report.ends_with("interrupted!")) << report;
    std::vector<std::string> rest(reports.begin() + 2, reports.end());
    if (rest.size() > 1 && rest[1].starts_with("error in a handler of Host.OnStop: ")) {
      // The second interrupt's report.
      EXPECT_TRUE(rest[1].substr(0, rest[1].find('\n')).ends_with("interrupted!")) << rest[1];
      rest.erase(rest.begin() + 1);
    }
    EXPECT_EQ(std::vector<std::string>(c.lines.begin() + 1, c.lines.end()), rest) << result.output;
  }
}

TEST_F(HostCommand, HandlersRunFromThePulseAndAFailingOneDoesNotStopIt) {
  CommandResult result = Host(
      "print(Fake.Name)\n"
      "on('Fake.OnQueued', function(ctx, a, b) print('queued', ctx.Name, a, b) end)\n"
      "on('Fake.OnQueued', function(ctx, a) if a == 'first' then error('handler failed') end end)\n"
      "on('Fake.OnQueued', function(ctx, a) if a == 'second' then stop() end end)\n"
      "local pulses = 0\n"
      "on('Host.OnPulse', function()\n"
      "  pulses = pulses + 1\n"
      "  if pulses == 2 then Fake:Queue('first', 7) elseif pulses == 4 then Fake:Queue('second') end\n"
      "end)\n"
      "on('Host.OnStop', function() print('stopping') end)\n",
      "--module " + Fake("fake_module") + " --seconds 60");
  EXPECT_EQ(0, result.exitCode);
  std::vector<std::string> reports;
  for (const std::string& line : result.Lines()) {
    ErrorReports::Add(reports, line);
  }
  EXPECT_EQ((std::vector<std::string>{
                "fake module initialised",
                "the fake",
                "queued\tthe fake\tfirst\t7",
                "error in a handler of Fake.OnQueued: " + scriptPath_ +
                    ":3: handler failed\n"
                    "stack traceback:\n"
                    "\t[C]: in function 'error'\n"
                    "\t" +
                    scriptPath_ + ":3: in function <" + scriptPath_ +
                    ":3>\n"
                    "\t[C]: in ?",
                "queued\tthe fake\tsecond\tnil",
                "stopping",
                "fake module shut down",
            }),
            reports);
}

TEST_F(HostCommand, ScriptErrorAtTheTopLevelEndsTheHost) {
  CommandResult result = Host(
      "on('Host.OnPulse', function() print('pulsed') end)\non('Host.OnStop', function() print('stopping') end)\n"
      "error('at the top')\n",
      "--module " + Fake("fake_module") + " --seconds 60");
  EXPECT_EQ(1, result.exitCode);
  EXPECT_EQ((std::vector<std::string>{"fake module initialised", "script error: " + scriptPath_ + ":3: at the top",
                                      "fake module shut down"}),
            result.Lines());
}
