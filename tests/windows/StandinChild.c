#include "tests/windows/StandinChild.h"

#include <stdio.h>
#include <string.h>

static void ReadAnswer(StandinChild* child, char* answer, size_t size) {
  size_t used = 0;
  char c = 0;
  DWORD count = 0;
  while (ReadFile(child->output, &c, 1, &count, NULL) && count == 1 && c != '\n') {
    if (used + 1 < size)
      answer[used++] = c;
  }
  /* The client's standard output is in text mode: its lines end in CR LF. */
  if (used > 0 && answer[used - 1] == '\r')
    used--;
  answer[used] = '\0';
}

bool StandinStart(StandinChild* child, const char* program) {
  memset(child, 0, sizeof *child);
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
  HANDLE childInput = NULL;
  HANDLE childOutput = NULL;
  if (!CreatePipe(&childInput, &child->input, &inheritable, 0) ||
      !CreatePipe(&child->output, &childOutput, &inheritable, 0))
    return false;
  /* Only the child's ends are inherited, so the client sees end of input when we close ours. */
  SetHandleInformation(child->input, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(child->output, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childInput;
  startup.hStdOutput = childOutput;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  char commandLine[MAX_PATH + 3];
  snprintf(commandLine, sizeof commandLine, "\"%s\"", program);
  const BOOL started = CreateProcessA(program, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child->process);
  CloseHandle(childInput);
  CloseHandle(childOutput);
  if (!started)
    return false;
  char ready[64];
  ReadAnswer(child, ready, sizeof ready);
  return strcmp(ready, "ready") == 0;
}

void StandinCommand(StandinChild* child, const char* line, char* answer, size_t size) {
  char text[512];
  const int length = snprintf(text, sizeof text, "%s\n", line);
  DWORD written = 0;
  answer[0] = '\0';
  if (length > 0 && WriteFile(child->input, text, (DWORD)length, &written, NULL) && written == (DWORD)length)
    ReadAnswer(child, answer, size);
}

bool StandinExpect(StandinChild* child, const char* line, const char* expected) {
  char answer[256];
  StandinCommand(child, line, answer, sizeof answer);
  return strcmp(answer, expected) == 0;
}

bool StandinWaitForExit(StandinChild* child, DWORD timeoutMs) {
  return child->process.hProcess != NULL && WaitForSingleObject(child->process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void StandinStop(StandinChild* child) {
  if (child->process.hProcess != NULL) {
    if (!StandinWaitForExit(child, 0))
      TerminateProcess(child->process.hProcess, 1);
    CloseHandle(child->process.hProcess);
    CloseHandle(child->process.hThread);
  }
  if (child->input != NULL)
    CloseHandle(child->input);
  if (child->output != NULL)
    CloseHandle(child->output);
  memset(child, 0, sizeof *child);
}
