// The real module in this process, served by a Lua script host, over the
// simulated desktop: stand-in clients made by a test are seen by the module's
// polling thread, and Settle() applies every change made before it, running
// the script's handlers inside the pulse as chorister-host does.
#pragma once

#include "host/LuaScriptHost.h"
#include "module/Chorister.h"
#include "standin/StandinClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class StandinFixture : public testing::Test {
 protected:
  StandinFixture();
  void SetUp() override;
  void TearDown() override;

  // Waits for two further hand-overs (the second one's cycle began after the
  // call) and pulses once.
  void Settle();
  // A client showing `roster`, opened and with its first snapshot applied.
  std::unique_ptr<standin::StandinClient> Start(const standin::Roster& roster);

  bool Run(const std::string& code);
  std::string Print(const std::string& expression);
  // The first line of the last error report (its traceback follows in
  // `errors`).
  std::string LastError() const;
  bool Printed(const std::string& line) const;

  std::vector<std::string> output;
  // One entry per report, its traceback lines included.
  std::vector<std::string> errors;
  Console console;
  LuaScriptHost host;
  Chorister* module = nullptr;
};
