// The host's main job: set up the desktop, load and initialise the module, run
// the script, pulse the module on this (the main) thread about 60 times a
// second for the run length, then shut the module down and unload it.
#pragma once

#include "host/lua/Console.h"
#include "host/program/HostOptions.h"

#include <string>

class HostSession {
 public:
  static constexpr int kPulsesPerSecond = 60;

  // The module's own library, loaded before the script.
  static constexpr const char* kLibrary = "chorister";

  // `libraryFolder` holds the Lua library that comes with the host (beside
  // the examples); scripts require it, and the host loads it first when it is
  // there.
  HostSession(const HostOptions& options, Console& console, std::string libraryFolder);

  // The process's exit code: 0 after a run (errors in handlers are reported,
  // not fatal); 1 when the script cannot be read or compiled or fails at its
  // top level, the demo desktop cannot start, or the module cannot be loaded
  // or initialised; after an interrupt (Interrupt), which ends the run early,
  // its exit status (130 for Ctrl-C).
  int Run();

 private:
  const HostOptions& options_;
  Console& console_;
  std::string libraryFolder_;
};
