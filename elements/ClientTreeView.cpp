#include "elements/ClientTreeView.h"

namespace {

// How long Select and Join wait for the client's tree view. A client whose
// window thread has not pumped messages for 5 s is skipped at once
// (SMTO_ABORTIFHUNG); one that is merely slow gets this long before the host's
// main thread moves on.
constexpr UINT kTreeViewTimeoutMs = 1000;

}  // namespace

bool ClientTreeView::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const {
  if (!window_)
    return false;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window_, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kTreeViewTimeoutMs,
                           &answer))
    return false;
  *result = static_cast<LRESULT>(answer);
  return true;
}

bool ClientTreeView::Select(HTREEITEM item) const {
  if (!item)
    return false;
  LRESULT selected = 0;
  return Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &selected) && selected != 0;
}

// The tree view turns WM_KEYDOWN VK_RETURN into TVN_KEYDOWN and NM_RETURN to
// its parent, which the client takes as a request to join the selected channel.
bool ClientTreeView::Join(HTREEITEM item) const {
  if (!Select(item))
    return false;
  LRESULT ignored = 0;
  Send(WM_KEYDOWN, VK_RETURN, 0, &ignored);
  Send(WM_KEYUP, VK_RETURN, 0, &ignored);
  return true;
}
