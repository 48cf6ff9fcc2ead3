#include "tests/host/ScriptFixture.h"

#include "tests/host/ErrorReports.h"

#include <algorithm>

ScriptFixture::ScriptFixture()
    : console([this](Console::Stream stream, std::string_view line) {
        if (stream == Console::Stream::Output)
          output.emplace_back(line);
        else
          ErrorReports::Add(errors, line);
      }),
      host(console) {}

bool ScriptFixture::Run(const std::string& code) { return host.RunString(code, "=test"); }

std::string ScriptFixture::Print(const std::string& expression) {
  output.clear();
  if (!Run("print(" + expression + ")"))
    return "error: " + LastError();
  return output.empty() ? "(nothing printed)" : output.back();
}

std::string ScriptFixture::LastError() const { return ErrorReports::LastFirstLine(errors); }

bool ScriptFixture::Printed(const std::string& line) const {
  return std::find(output.begin(), output.end(), line) != output.end();
}
