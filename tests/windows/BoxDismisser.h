// Plays the user who clicks OK on the module's "Treeview_GetItem failed" box.
// The module shows that modal box, with no owner, on its polling thread when
// the client deletes a tree item between the capture's walk and its read of
// the item, and the polling thread waits until the box is dismissed. Under
// Wine's null graphics driver nobody would ever see it, so while this object
// lives a thread of its own looks for such boxes of this process every few
// milliseconds and presses OK on each.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

class BoxDismisser {
 public:
  BoxDismisser();
  ~BoxDismisser();

  BoxDismisser(const BoxDismisser&) = delete;
  BoxDismisser& operator=(const BoxDismisser&) = delete;

  int Dismissed() const { return dismissed_.load(); }

 private:
  static BOOL CALLBACK DismissIfBox(HWND window, LPARAM self);

  HANDLE stop_;
  std::atomic<int> dismissed_{0};
  HWND last_ = nullptr;  // the watcher thread's own
  std::thread watcher_;
};
