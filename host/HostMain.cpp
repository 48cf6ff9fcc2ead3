// chorister-host: runs a Lua script over a script module (by default the
// Chorister module built beside it, over the demo desktop). See --help.
#include "host/Console.h"
#include "host/HostOptions.h"
#include "host/HostSession.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>

#ifndef CHORISTER_EXAMPLES_DIR
#error "CHORISTER_EXAMPLES_DIR must name the folder of the bundled scripts"
#endif

namespace {

std::atomic<bool> interrupted{false};

void OnSignal(int) { interrupted.store(true); }

// The folder of this executable; the module is built into ../lib beside it.
std::string ExecutableFolder() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    return ".";
  }
  std::string folder(path, static_cast<std::size_t>(length));
  return folder.substr(0, folder.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
  HostOptions options(std::string(CHORISTER_EXAMPLES_DIR) + "/demo.lua", ExecutableFolder() + "/../lib/chorister.so");
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
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  return HostSession(options, console).Run(interrupted);
}
