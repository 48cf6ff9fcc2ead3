// A Lua script host with the test types "thing" (parent "base") installed and
// the global object "Things" bound: Things is thing 1, Things[n] thing n.
// Console lines are collected instead of printed.
#pragma once

#include "host/LuaScriptHost.h"
#include "tests/host/BaseType.h"
#include "tests/host/ThingType.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ScriptFixture : public testing::Test {
 protected:
  ScriptFixture();
  ~ScriptFixture() override;

  // Runs `code` as the chunk "test"; false when it raised an error.
  bool Run(const std::string& code);
  // The line that print(expression) writes.
  std::string Print(const std::string& expression);
  // The first line of the last error report (its traceback follows in
  // `errors`).
  std::string LastError() const;

  std::vector<std::string> output;
  // One entry per report, its traceback lines included.
  std::vector<std::string> errors;
  Console console;
  LuaScriptHost host;
  BaseType base;
  ThingType thing;

 private:
  static bool Resolve(int argumentCount, const char* const* arguments, ObjectRef* out);
  static ScriptFixture* current_;
};
