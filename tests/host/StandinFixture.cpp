#include "tests/host/StandinFixture.h"

#include "tests/host/ErrorReports.h"

#include "platform/sim/SimDesktop.h"

#include <algorithm>

namespace {

// Generous for sanitizer builds on a loaded machine; a healthy cycle is ~30 ms.
constexpr unsigned kHandOverTimeoutMs = 10000;

}  // namespace

StandinFixture::StandinFixture()
    : console([this](Console::Stream stream, std::string_view line) {
        if (stream == Console::Stream::Output) {
          output.emplace_back(line);
        } else {
          ErrorReports::Add(errors, line);
        }
      }),
      host(console) {}

void StandinFixture::SetUp() {
  sim::ResetDesktop();
  module = static_cast<Chorister*>(CreateQSModuleInterface(kQSModuleInterfaceVersion));
  ASSERT_NE(nullptr, module);
  ASSERT_TRUE(module->Initialize(&host));
}

void StandinFixture::TearDown() {
  if (module != nullptr) {
    module->Shutdown();
  }
  Chorister::DestroyModule();
}

void StandinFixture::Settle() {
  ASSERT_TRUE(module->AwaitHandOver(module->HandOverCount() + 2, kHandOverTimeoutMs))
      << "the polling thread did not hand over in time";
  module->Pulse();
  host.NotifyPulse();
}

std::unique_ptr<standin::StandinClient> StandinFixture::Start(const standin::Roster& roster) {
  auto client = std::make_unique<standin::StandinClient>(roster);
  Settle();
  Settle();
  return client;
}

bool StandinFixture::Run(const std::string& code) { return host.RunString(code, "=test"); }

std::string StandinFixture::Print(const std::string& expression) {
  output.clear();
  if (!Run("print(" + expression + ")")) {
    return "error: " + LastError();
  }
  return output.empty() ? "(nothing printed)" : output.back();
}

std::string StandinFixture::LastError() const { return ErrorReports::LastFirstLine(errors); }

bool StandinFixture::Printed(const std::string& line) const {
  return std::find(output.begin(), output.end(), line) != output.end();
}
