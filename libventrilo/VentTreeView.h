// A hand on one client's tree view: selecting an item and pressing Enter on
// it, which makes the client join the item's channel. The messages go out
// through VentSendMessage, bounded so that a hung client cannot stall the
// thread that sends them (the host's main thread).
#pragma once

#include "platform/Win32.h"

class VentTreeView {
 public:
  HWND Window() const { return window_; }
  void SetWindow(HWND window) { window_ = window; }

  // Asks the tree view to select `item`. False without a window or an item,
  // when the client refuses, or when it does not answer in time.
  bool Select(HTREEITEM item) const;
  // Selects `item` and presses Enter on it. False, with no key sent, when the
  // selection fails. The client moves later; a later snapshot shows it.
  bool Join(HTREEITEM item) const;

 private:
  HWND window_ = nullptr;
};
