#include "tests/windows/BoxDismisser.h"

#include <string.h>

#define LOOK_EVERY_MS 20

static BOOL CALLBACK DismissIfBox(HWND window, LPARAM self) {
  BoxDismisser* dismisser = (BoxDismisser*)self;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char title[64] = {0};
  char windowClass[64] = {0};
  if (process == GetCurrentProcessId() && GetWindowTextA(window, title, sizeof title) && strcmp(title, "error") == 0 &&
      RealGetWindowClassA(window, windowClass, sizeof windowClass) && strcmp(windowClass, "#32770") == 0) {
    /* A message box's OK button sends IDOK to the box, which ends its modal
       loop. The box may still be there at the next look; it counts once. */
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    if (window != dismisser->last)
      InterlockedIncrement(&dismisser->dismissed);
    dismisser->last = window;
  }
  return TRUE;
}

static DWORD WINAPI Watch(LPVOID self) {
  BoxDismisser* dismisser = (BoxDismisser*)self;
  while (WaitForSingleObject(dismisser->stop, LOOK_EVERY_MS) == WAIT_TIMEOUT)
    EnumWindows(DismissIfBox, (LPARAM)dismisser);
  return 0;
}

void BoxDismisserStart(BoxDismisser* dismisser) {
  memset(dismisser, 0, sizeof *dismisser);
  dismisser->stop = CreateEventA(NULL, TRUE, FALSE, NULL);
  dismisser->thread = CreateThread(NULL, 0, Watch, dismisser, 0, NULL);
}

int BoxDismisserStop(BoxDismisser* dismisser) {
  SetEvent(dismisser->stop);
  if (dismisser->thread != NULL) {
    WaitForSingleObject(dismisser->thread, INFINITE);
    CloseHandle(dismisser->thread);
  }
  CloseHandle(dismisser->stop);
  return (int)dismisser->dismissed;
}
