// A test fixture with a live module: a fresh simulated desktop, the module
// object from CreateQSModuleInterface(23), initialised with a RecordingHost
// (its polling thread runs), shut down and destroyed after the test.
//
// Settle() makes the module catch up with the desktop: it waits for two more
// hand-overs (the second one's cycle began after the call, so it saw every
// change made before) and pulses once. A client that appeared is opened by
// that pulse and gets its first snapshot applied by the next Settle().
#pragma once

#include "module/Chorister.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <memory>

class ModuleFixture : public testing::Test {
 public:
  // What Settle() does, for any module object, whichever host serves it.
  static bool Settle(Chorister* module);

 protected:
  void SetUp() override;
  void TearDown() override;

  // False (and a test failure) when the polling thread does not hand over in time.
  bool Settle() { return Settle(module); }

  // A derived fixture that runs the polling cycles itself (Chorister::PollOnce)
  // clears this in its constructor: Initialize then finds no thread to start.
  bool withPollingThread = true;
  Chorister* module = nullptr;
  std::unique_ptr<RecordingHost> host;
};
