/*
** Plays the user who clicks OK on the module's "Treeview_GetItem failed" box.
** The module shows that modal box, with no owner, on its polling thread when
** the client deletes a tree item between the capture's walk and its read of
** the item, and the polling thread waits until the box is dismissed. Under
** Wine's null graphics driver nobody would ever see it, so while the dismisser
** runs, a thread of its own looks for such boxes of this process every few
** milliseconds and presses OK on each.
*/
#pragma once

#include <windows.h>

typedef struct BoxDismisser {
  HANDLE stop;
  HANDLE thread;
  volatile LONG dismissed;
  HWND last; /* the watcher thread's own */
} BoxDismisser;

void BoxDismisserStart(BoxDismisser* dismisser);
/* Stops the watcher; returns how many boxes it dismissed. */
int BoxDismisserStop(BoxDismisser* dismisser);
