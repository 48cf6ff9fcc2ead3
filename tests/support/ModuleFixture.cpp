#include "tests/support/ModuleFixture.h"

#include "platform/sim/SimDesktop.h"

namespace {

// Generous for sanitizer builds on a loaded machine; a healthy cycle is ~30 ms.
constexpr unsigned kHandOverTimeoutMs = 10000;

}  // namespace

void ModuleFixture::SetUp() {
  sim::ResetDesktop();
  host = std::make_unique<RecordingHost>();
  module = static_cast<Chorister*>(CreateQSModuleInterface(kQSModuleInterfaceVersion));
  ASSERT_NE(module, nullptr) << "a module object is still alive";
  if (!withPollingThread)
    sim::FailCreateThread(1);
  ASSERT_TRUE(module->Initialize(host.get()));
}

void ModuleFixture::TearDown() {
  if (module)
    module->Shutdown();
  Chorister::DestroyModule();
  module = nullptr;
  host.reset();
}

bool ModuleFixture::Settle(Chorister* module) {
  const std::uint64_t target = module->HandOverCount() + 2;
  if (!module->AwaitHandOver(target, kHandOverTimeoutMs)) {
    ADD_FAILURE() << "the polling thread did not hand over within " << kHandOverTimeoutMs << " ms";
    return false;
  }
  module->Pulse();
  return true;
}
