#include "libventrilo/VentSendMessage.h"

bool VentSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kVentReplyTimeoutMs,
                          &result) == 0)
    return false;
  *answer = static_cast<LRESULT>(result);
  return true;
}
