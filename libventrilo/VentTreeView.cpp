#include "libventrilo/VentTreeView.h"

#include "libventrilo/VentSendMessage.h"

bool VentTreeView::Select(HTREEITEM item) const {
  if (!window_ || !item)
    return false;
  LRESULT selected = 0;
  return VentSendMessage(window_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &selected) &&
         selected != 0;
}

// The tree view turns WM_KEYDOWN VK_RETURN into TVN_KEYDOWN and NM_RETURN to
// its parent, which the client takes as a request to join the selected channel.
bool VentTreeView::Join(HTREEITEM item) const {
  if (!Select(item))
    return false;
  LRESULT ignored = 0;
  VentSendMessage(window_, WM_KEYDOWN, VK_RETURN, 0, &ignored);
  VentSendMessage(window_, WM_KEYUP, VK_RETURN, 0, &ignored);
  return true;
}
