// The module's hand on one client's tree view: selecting an item and pressing
// Enter on it, which makes the client join the item's channel. Messages go out
// from the host's main thread, bounded so that a hung client cannot stall it.
#pragma once

#include "platform/Win32.h"

class ClientTreeView {
 public:
  HWND Window() const { return window_; }
  // The tree view of the last snapshot that showed a connected server.
  void SetWindow(HWND window) { window_ = window; }

  // Asks the tree view to select `item`. False without a window or an item,
  // when the client refuses, or when it does not answer in time.
  bool Select(HTREEITEM item) const;
  // Selects `item` and presses Enter on it. False, with no key sent, when the
  // selection fails. The client moves later; a later snapshot shows it.
  bool Join(HTREEITEM item) const;

 private:
  // Sends one message; false when it was not handled in time.
  bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const;

  HWND window_ = nullptr;
};
