#include "standin/win32/StandinProcess.h"

StandinProcess::StandinProcess(const std::string& program) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE childInput = nullptr;
  HANDLE childOutput = nullptr;
  if (!CreatePipe(&childInput, &input_, &inheritable, 0) || !CreatePipe(&output_, &childOutput, &inheritable, 0))
    return;
  // Only the child's ends are inherited, so the client sees end of input when we close ours.
  SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childInput;
  startup.hStdOutput = childOutput;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::string commandLine = "\"" + program + "\"";
  const bool started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process_);
  CloseHandle(childInput);
  CloseHandle(childOutput);
  ok_ = started && ReadLine() == "ready";
}

StandinProcess::~StandinProcess() {
  if (process_.hProcess) {
    if (!WaitForExit(0))
      TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  if (input_)
    CloseHandle(input_);
  if (output_)
    CloseHandle(output_);
}

std::string StandinProcess::ReadLine() {
  std::string line;
  char c = 0;
  DWORD count = 0;
  while (ReadFile(output_, &c, 1, &count, nullptr) && count == 1 && c != '\n')
    line += c;
  // The client's standard output is in text mode: its lines end in CR LF.
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return line;
}

std::string StandinProcess::Command(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  if (!WriteFile(input_, text.data(), DWORD(text.size()), &written, nullptr) || written != text.size())
    return "";
  return ReadLine();
}

bool StandinProcess::WaitForExit(DWORD timeoutMs) {
  return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}
