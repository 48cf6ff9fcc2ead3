#include "tests/host/ModuleScriptFixture.h"

#include "platform/sim/SimDesktop.h"
#include "tests/support/ModuleFixture.h"

void ModuleScriptFixture::SetUp() {
  sim::ResetDesktop();
  module = static_cast<Chorister*>(CreateQSModuleInterface(kQSModuleInterfaceVersion));
  ASSERT_NE(nullptr, module);
  ASSERT_TRUE(module->Initialize(&host));
  host.AddLibraryFolder(SOURCE_DIR "/examples");
  ASSERT_TRUE(Run("chorister = require('chorister')"));
  // The module's load line.
  errors.clear();
}

void ModuleScriptFixture::TearDown() {
  if (module != nullptr) {
    module->Shutdown();
  }
  Chorister::DestroyModule();
}

void ModuleScriptFixture::Settle() {
  ASSERT_TRUE(ModuleFixture::Settle(module));
  host.NotifyPulse();
}

std::unique_ptr<standin::StandinClient> ModuleScriptFixture::Start(const standin::Roster& roster) {
  auto client = std::make_unique<standin::StandinClient>(roster);
  Settle();
  Settle();
  return client;
}
