#pragma once

#include "platform/Win32.h"

// How long the library waits for a client window to answer one message.
inline constexpr UINT kVentReplyTimeoutMs = 1000;

// Sends `message` to a window of a client process and stores the window's
// answer in `*answer`. A plain SendMessageA would wait for ever on a client
// whose window thread hangs, and with it the polling thread and every other
// client; so the wait is bounded by kVentReplyTimeoutMs, and SMTO_ABORTIFHUNG
// gives up at once on a thread that has not pumped messages for 5 s.
// SMTO_BLOCK: the calling thread serves no messages of its own meanwhile.
// Returns false, `*answer` unchanged, when the message was not answered (the
// bound expired, the thread is hung, or the window is gone).
bool VentSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);
