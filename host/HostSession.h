// The host's main job: set up the desktop, load and initialise the module, run
// the script, pulse the module on this (the main) thread about 60 times a
// second for the run length, then shut the module down and unload it.
#pragma once

#include "host/Console.h"
#include "host/HostOptions.h"

class HostSession {
 public:
  static constexpr int kPulsesPerSecond = 60;

  HostSession(const HostOptions& options, Console& console);

  // The process's exit code: 0 after a run (errors while the script runs are
  // reported, not fatal), 1 when the script cannot be read or compiled, the
  // demo desktop cannot start, or the module cannot be loaded or initialised.
  // An interrupt (Interrupt) ends the run early, as stop() does.
  int Run();

 private:
  const HostOptions& options_;
  Console& console_;
};
