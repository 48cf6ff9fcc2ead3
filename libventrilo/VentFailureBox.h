#pragma once

// The box the library shows when reading a client fails in a way the user
// should see. A message box runs its own modal loop on the calling thread
// until it is dismissed; shown from the polling thread it would stop the
// captures of every client until someone clicks it, and an unattended host
// would stall for good. So each box gets a thread of its own, and at most one
// is open at a time: failures met while one is open show none. A box that
// cannot get a thread is not shown.
class VentFailureBox {
 public:
  // Opens a box with an OK button, no owner window, `text` and `caption`,
  // unless one is open. Returns at once. Both texts must live for ever.
  static void Show(const char* text, const char* caption);
  // Waits until no box is open; false when `timeoutMs` passed first.
  static bool AwaitClosed(unsigned timeoutMs);
};
