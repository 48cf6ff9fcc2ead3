#include "host/program/Interrupt.h"

#include "host/lua/LuaScriptHost.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

#include <atomic>

namespace {

// Interrupts after this many the system's default action ends the process.
constexpr int kHandled = 2;
constexpr int kSigInt = 2;

std::atomic<int> count{0};
std::atomic<int> firstSignal{kSigInt};
std::atomic<LuaScriptHost*> watched{nullptr};

// Only lock-free atomics and lua_sethook here: this runs in a signal handler
// (on Windows, on a thread of its own). False once the interrupts that the
// host handles are used up.
bool Raise(int signal) {
  int seen = count.fetch_add(1);
  if (seen >= kHandled) {
    return false;
  }
  if (seen == 0) {
    firstSignal.store(signal);
  }
  if (LuaScriptHost* host = watched.load()) {
    host->Interrupt();
  }
  return true;
}

#ifdef _WIN32

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
    return FALSE;
  }
  return Raise(kSigInt) ? TRUE : FALSE;
}

void InstallHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

#else

void OnSignal(int signal) {
  if (!Raise(signal) || count.load() >= kHandled) {
    std::signal(signal, SIG_DFL);
  }
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
  if (host != nullptr && count.load() > 0) {
    host->Interrupt();
  }
}

bool Interrupt::Requested() { return count.load() > 0; }

bool Interrupt::Repeated() { return count.load() > 1; }

int Interrupt::ExitStatus() { return 128 + firstSignal.load(); }
