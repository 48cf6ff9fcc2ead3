// One stand-in Ventrilo client of the demo desktop, driven by lines of the
// stand-in client's command language (standin/win32/CommandInterpreter.h). In
// the Linux build it is a StandinClient on the simulated desktop, in the
// host's own process; on Windows it is the Win32 stand-in client,
// standin_client.exe beside the host, run as a process of its own.
#pragma once

#include <memory>
#include <string>

class DemoClient {
 public:
  DemoClient();
  // Ends the client if it still runs.
  ~DemoClient();

  DemoClient(const DemoClient&) = delete;
  DemoClient& operator=(const DemoClient&) = delete;

  // Starts the client with an empty tree. False with `error` set when it
  // cannot start.
  bool Start(std::string* error);
  // Makes one change; the empty text when it is made, else what went wrong.
  std::string Execute(const std::string& command);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};
