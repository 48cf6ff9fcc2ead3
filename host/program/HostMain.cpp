// chorister-host: runs a Lua script over a script module (by default the
// Chorister module built beside it, over the demo desktop where there is one).
// See --help.
#include "host/lua/Console.h"
#include "host/program/HostOptions.h"
#include "host/program/HostSession.h"
#include "host/program/Interrupt.h"
#include "host/program/ModuleLibrary.h"

#include <filesystem>
#include <string>

// The folder of the bundled scripts and the Lua library: the source tree's in a
// build, or one relative to the host's own folder (a bundle's "examples"
// beside the host).
#ifndef CHORISTER_EXAMPLES_DIR
#error "CHORISTER_EXAMPLES_DIR must name the folder of the bundled scripts"
#endif

namespace {

std::string ExamplesFolder() {
  const std::string folder = CHORISTER_EXAMPLES_DIR;
  return std::filesystem::path(folder).is_relative() ? ModuleLibrary::HostFolder() + "/" + folder : folder;
}

}  // namespace

int main(int argc, char** argv) {
  HostOptions options(ExamplesFolder() + "/demo.lua", ModuleLibrary::DefaultPath());
  Console console;
  std::string error;
  if (!options.Parse(argc - 1, argv + 1, &error)) {
    console.Error("chorister-host: " + error + " (see --help)");
    return 2;
  }
  if (options.Help()) {
    console.Output(options.Usage());
    return 0;
  }
  Interrupt::Install();
  return HostSession(options, console, ExamplesFolder()).Run();
}
