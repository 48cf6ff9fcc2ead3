// The real module in this process, served by a Lua script host, over the
// simulated desktop: stand-in clients made by a test are seen by the module's
// polling thread, and Settle() applies every change made before it, running
// the script's handlers inside the pulse as chorister-host does. The module's
// Lua library is loaded first, as chorister-host loads it.
#pragma once

#include "module/Chorister.h"
#include "standin/StandinClient.h"
#include "tests/host/ScriptFixture.h"

#include <memory>

class ModuleScriptFixture : public ScriptFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The module catches up with the desktop (ModuleFixture::Settle), then the
  // host's pulse event runs.
  void Settle();
  // A client showing `roster`, opened and with its first snapshot applied.
  std::unique_ptr<standin::StandinClient> Start(const standin::Roster& roster);

  Chorister* module = nullptr;
};
