/*
** The Win32 stand-in client run as a child process, driven through its
** standard input: one command line in, one answer line out ("ok", "ok VALUE",
** "error TEXT").
*/
#pragma once

#include <windows.h>

#include <stdbool.h>

typedef struct StandinChild {
  PROCESS_INFORMATION process;
  HANDLE input;  /* our end of the client's standard input */
  HANDLE output; /* our end of the client's standard output */
} StandinChild;

/* Starts the client and waits for its "ready" line; false when it did not come. */
bool StandinStart(StandinChild* child, const char* program);
/* Sends one command; the answer goes to `answer` ("" when the client is gone). */
void StandinCommand(StandinChild* child, const char* line, char* answer, size_t size);
/* True when the command's answer is exactly `expected`. */
bool StandinExpect(StandinChild* child, const char* line, const char* expected);
/* Waits up to `timeoutMs` for the process to end; true when it has. */
bool StandinWaitForExit(StandinChild* child, DWORD timeoutMs);
/* Ends the client if it still runs and closes every handle. */
void StandinStop(StandinChild* child);
