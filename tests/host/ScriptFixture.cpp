#include "tests/host/ScriptFixture.h"

#include "tests/host/ErrorReports.h"

#include <cstdlib>

ScriptFixture* ScriptFixture::current_ = nullptr;

ScriptFixture::ScriptFixture()
    : console([this](Console::Stream stream, std::string_view line) {
        if (stream == Console::Stream::Output) {
          output.emplace_back(line);
        } else {
          ErrorReports::Add(errors, line);
        }
      }),
      host(console),
      base(host.LookupType("string", 0, 0)),
      thing(&host, &base) {
  current_ = this;
  host.InstallType(&base);
  host.InstallType(&thing);
  thing.things[1] = {"alpha", 3, true, 2, {}};
  thing.things[2] = {"beta", 0xFFFFFFFFu, false, 3, {}};
  thing.things[3] = {"gamma", 0, true, 0, {}};
  host.BindGlobalObject("Things", Resolve);
}

ScriptFixture::~ScriptFixture() { current_ = nullptr; }

bool ScriptFixture::Resolve(int argumentCount, const char* const* arguments, ObjectRef* out) {
  std::uintptr_t id = argumentCount == 0 ? 1 : std::strtoul(arguments[0], nullptr, 10);
  if (current_->thing.things.count(id) == 0) {
    return false;
  }
  *out = current_->thing.Ref(id);
  return true;
}

bool ScriptFixture::Run(const std::string& code) { return host.RunString(code, "=test"); }

std::string ScriptFixture::Print(const std::string& expression) {
  output.clear();
  if (!Run("print(" + expression + ")")) {
    return "error: " + LastError();
  }
  return output.empty() ? "(nothing printed)" : output.back();
}

std::string ScriptFixture::LastError() const { return ErrorReports::LastFirstLine(errors); }
