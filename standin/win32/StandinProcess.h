// The Win32 stand-in client run as a child process, driven through its
// standard input: one command line in, one answer line out.
#pragma once

#include <windows.h>

#include <string>

class StandinProcess {
 public:
  // Starts the client and waits for its "ready" line; Ok() tells whether it came.
  explicit StandinProcess(const std::string& program);
  // Ends the client if it still runs.
  ~StandinProcess();

  StandinProcess(const StandinProcess&) = delete;
  StandinProcess& operator=(const StandinProcess&) = delete;

  bool Ok() const { return ok_; }
  DWORD ProcessId() const { return process_.dwProcessId; }

  // Sends one command and returns the answer ("ok", "ok VALUE", "error TEXT"; "" when the client is gone).
  std::string Command(const std::string& line);
  // Waits up to `timeoutMs` for the process to end; true when it has.
  bool WaitForExit(DWORD timeoutMs);

 private:
  std::string ReadLine();

  bool ok_ = false;
  PROCESS_INFORMATION process_{};
  HANDLE input_ = nullptr;   // our end of the client's standard input
  HANDLE output_ = nullptr;  // our end of the client's standard output
};
