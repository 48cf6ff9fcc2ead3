// A Lua script host whose console lines are collected instead of printed, and
// the ways a test runs scripts on it. Derived fixtures install what the
// scripts see: test types (ThingFixture) or the real module (ModuleScriptFixture).
#pragma once

#include "host/lua/LuaScriptHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ScriptFixture : public testing::Test {
 protected:
  ScriptFixture();

  // Runs `code` as the chunk "test"; false when it raised an error.
  bool Run(const std::string& code);
  // The line that print(expression) writes.
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
};
