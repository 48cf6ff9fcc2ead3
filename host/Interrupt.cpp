#include "host/Interrupt.h"

#include "host/LuaScriptHost.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

#include <atomic>

namespace {

std::atomic<bool> requested{false};
std::atomic<LuaScriptHost*> watched{nullptr};

// Only lock-free atomics and lua_sethook here: this runs in a signal handler
// (on Windows, on a thread of its own).
void Raise() {
  requested.store(true);
  if (LuaScriptHost* host = watched.load()) {
    host->Interrupt();
  }
}

#ifdef _WIN32

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
    return FALSE;
  }
  if (requested.load()) {
    return FALSE;
  }
  Raise();
  return TRUE;
}

void InstallHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

#else

void OnSignal(int signal) {
  std::signal(signal, SIG_DFL);
  Raise();
}

void InstallHandlers() {
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
}

#endif

}  // namespace

void Interrupt::Install() { InstallHandlers(); }

void Interrupt::Watch(LuaScriptHost* host) {
  watched.store(host);
  if (host != nullptr && requested.load()) {
    host->Interrupt();
  }
}

bool Interrupt::Requested() { return requested.load(); }
