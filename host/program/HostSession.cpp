#include "host/program/HostSession.h"

#include "host/demo/DemoDesktop.h"
#include "host/program/Interrupt.h"
#include "host/lua/LuaScriptHost.h"
#include "host/program/ModuleLibrary.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>

namespace {

// Routes interrupts to a script host for as long as it lives.
class InterruptWatch {
 public:
  explicit InterruptWatch(LuaScriptHost& host) { Interrupt::Watch(&host); }
  ~InterruptWatch() { Interrupt::Watch(nullptr); }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;
};

}  // namespace

HostSession::HostSession(const HostOptions& options, Console& console, std::string libraryFolder)
    : options_(options), console_(console), libraryFolder_(std::move(libraryFolder)) {}

int HostSession::Run() {
  using Clock = std::chrono::steady_clock;
  if (!std::ifstream(options_.Script()).good()) {
    console_.Error("chorister-host: cannot read the script " + options_.Script());
    return 1;
  }
  LuaScriptHost host(console_);
  InterruptWatch watch(host);
  // A script that does not compile ends the run before anything starts.
  if (!host.LoadFile(options_.Script())) {
    return 1;
  }
  auto runLength = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.Seconds()));
  // The desktop outlives the module: the module's polling thread reads it
  // until Shutdown has stopped that thread.
  std::optional<DemoDesktop> desktop;
  if (options_.GetDesktop() == HostOptions::Desktop::Demo) {
    desktop.emplace(std::chrono::duration_cast<std::chrono::milliseconds>(runLength), console_);
    if (!desktop->Start()) {
      return 1;
    }
  }
  ModuleLibrary library;
  if (!library.Open(options_.Module())) {
    console_.Error("chorister-host: " + library.Error());
    return 1;
  }
  QSModuleInterface* module = library.Interface();
  if (!module->Initialize(&host)) {
    console_.Error("chorister-host: module " + options_.Module() + " failed to initialise");
    return 1;
  }
  host.AddLibraryFolder(libraryFolder_);
  const std::string name = kLibrary;
  if (std::ifstream(libraryFolder_ + "/" + name + ".lua").good() &&
      !host.RunString(name + " = require('" + name + "')", "=" + name)) {
    module->Shutdown();
    return 1;
  }
  if (options_.Echo()) {
    host.RunString("Ventrilo:SetEventSpam(true)", "=--echo");
  }
  // A script that fails at its top level ends the host as lua does; the
  // module is still shut down.
  if (!host.RunLoaded() && !Interrupt::Requested()) {
    module->Shutdown();
    return 1;
  }

  const auto tick = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / kPulsesPerSecond;
  const Clock::time_point start = Clock::now();
  Clock::time_point next = start;
  while (!Interrupt::Requested() && !host.StopRequested()) {
    Clock::duration elapsed = Clock::now() - start;
    if (runLength.count() > 0 && elapsed >= runLength) {
      break;
    }
    if (desktop) {
      desktop->Advance(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed));
    }
    module->Pulse();
    host.NotifyPulse();
    // A late pulse does not make the next ones come faster.
    next = std::max(next + tick, Clock::now());
    std::this_thread::sleep_until(next);
  }
  // After an interrupt the Host.OnStop handlers still run, unless a second
  // one has come or comes while they run.
  host.ClearInterrupt();
  if (Interrupt::Repeated()) {
    host.Interrupt();
  }
  host.NotifyStop();
  module->Shutdown();
  return Interrupt::Requested() ? Interrupt::ExitStatus() : 0;
}
