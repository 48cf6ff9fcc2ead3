#include "platform/sim/TreeView.h"

#include "platform/sim/SimWindow.h"

#include <atomic>
#include <vector>

namespace sim {
namespace {

// Item state bits answered for TVIF_STATE.
constexpr UINT kStateSelected = 0x0002;

// Fresh handles look like the heap addresses real tree views hand out; one
// counter serves every tree.
std::atomic<std::uint32_t> nextItemKey{0x00A10000};

bool IsRoot(HTREEITEM item) { return item == nullptr || item == TVI_ROOT; }

}  // namespace

LRESULT TreeView::Dispatch(SimWindow& self, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TVM_GETNEXTITEM:
      return OnGetNextItem(wParam, lParam);
    case TVM_GETITEMA:
      return OnGetItem(self, lParam);
    case TVM_SELECTITEM:
      return OnSelectItem(wParam, lParam);
    case WM_KEYDOWN:
      return OnKeyDown(self, wParam);
    case WM_KEYUP:
      return 0;
    default:
      return self.CallProc(message, wParam, lParam);
  }
}

const TreeView::Item* TreeView::Find(std::uint32_t key) const {
  const auto found = items_.find(key);
  return found != items_.end() ? &found->second : nullptr;
}

TreeView::Item* TreeView::Find(std::uint32_t key) {
  const auto found = items_.find(key);
  return found != items_.end() ? &found->second : nullptr;
}

std::uint32_t& TreeView::FirstChildOf(std::uint32_t parent) {
  return parent != 0 ? items_.at(parent).firstChild : firstRoot_;
}

std::uint32_t& TreeView::LastChildOf(std::uint32_t parent) {
  return parent != 0 ? items_.at(parent).lastChild : lastRoot_;
}

HTREEITEM TreeView::Insert(HTREEITEM parent, HTREEITEM after, const TreeItemData& data) {
  const std::uint32_t parentKey = IsRoot(parent) ? 0 : ToKey(parent);
  if (parentKey != 0 && !Find(parentKey))
    return nullptr;
  std::uint32_t previous = 0;
  if (after == TVI_LAST || !after) {
    previous = LastChildOf(parentKey);
  } else if (after != TVI_FIRST) {
    const Item* sibling = Find(ToKey(after));
    if (!sibling || sibling->parent != parentKey)
      return nullptr;
    previous = ToKey(after);
  }
  std::uint32_t key = 0;
  if (freed_.empty()) {
    key = nextItemKey.fetch_add(4, std::memory_order_relaxed);
  } else {
    key = freed_.back();
    freed_.pop_back();
  }
  Item item{data, parentKey};
  item.previous = previous;
  item.next = previous != 0 ? items_.at(previous).next : FirstChildOf(parentKey);
  if (previous != 0)
    items_.at(previous).next = key;
  else
    FirstChildOf(parentKey) = key;
  if (item.next != 0)
    items_.at(item.next).previous = key;
  else
    LastChildOf(parentKey) = key;
  items_.emplace(key, std::move(item));
  return ToHandle(key);
}

void TreeView::Unlink(std::uint32_t key) {
  const Item& item = items_.at(key);
  if (item.previous != 0)
    items_.at(item.previous).next = item.next;
  else
    FirstChildOf(item.parent) = item.next;
  if (item.next != 0)
    items_.at(item.next).previous = item.previous;
  else
    LastChildOf(item.parent) = item.previous;
}

void TreeView::EraseSubtree(std::uint32_t key) {
  std::vector<std::uint32_t> pending{key};
  while (!pending.empty()) {
    const std::uint32_t current = pending.back();
    pending.pop_back();
    for (std::uint32_t child = items_.at(current).firstChild; child != 0; child = items_.at(child).next)
      pending.push_back(child);
    if (selection_ == current)
      selection_ = 0;
    items_.erase(current);
    freed_.push_back(current);
  }
}

bool TreeView::Delete(HTREEITEM item) {
  if (item == TVI_ROOT) {
    Clear();
    return true;
  }
  const std::uint32_t key = ToKey(item);
  if (!Find(key))
    return false;
  Unlink(key);
  EraseSubtree(key);
  return true;
}

void TreeView::Clear() {
  for (const auto& [key, item] : items_)
    freed_.push_back(key);
  items_.clear();
  firstRoot_ = lastRoot_ = selection_ = 0;
}

bool TreeView::Set(HTREEITEM item, const TreeItemData& data) {
  Item* found = Find(ToKey(item));
  if (!found)
    return false;
  found->data = data;
  return true;
}

bool TreeView::Get(HTREEITEM item, TreeItemData* data) const {
  const Item* found = Find(ToKey(item));
  if (!found || !data)
    return false;
  *data = found->data;
  return true;
}

LRESULT TreeView::OnGetNextItem(WPARAM flag, LPARAM item) const {
  const auto key = static_cast<std::uint32_t>(item);
  switch (flag) {
    case TVGN_ROOT:
      return firstRoot_;
    case TVGN_CARET:
      return selection_;
    case TVGN_CHILD:
      // As in the real control, the child of no item is the first top-level item.
      if (IsRoot(ToHandle(key)))
        return firstRoot_;
      break;
    case TVGN_NEXT:
    case TVGN_PREVIOUS:
    case TVGN_PARENT:
      break;
    default:
      return 0;
  }
  const Item* found = Find(key);
  if (!found)
    return 0;
  switch (flag) {
    case TVGN_NEXT:
      return found->next;
    case TVGN_PREVIOUS:
      return found->previous;
    case TVGN_PARENT:
      return found->parent;
    default:
      return found->firstChild;
  }
}

// lParam is an address inside the tree view's own process, as the real
// control reads and fills the caller's TVITEMA in place. Handles are
// validated as Wine's tree view does: an item the tree no longer has gives
// FALSE. So does an unreadable structure or an unwritable text buffer.
LRESULT TreeView::OnGetItem(SimWindow& self, LPARAM address) const {
  AddressSpace& memory = self.Process().Memory();
  const auto at = static_cast<std::uint32_t>(address);
  TVITEMA request;
  if (memory.Read(at, &request, sizeof request) != AddressSpace::Access::Ok)
    return FALSE;
  const std::uint32_t key = request.hItem.bits;
  const Item* item = Find(key);
  if (!item)
    return FALSE;
  if ((request.mask & TVIF_TEXT) != 0 && request.cchTextMax > 0) {
    const std::size_t count = std::min<std::size_t>(item->data.text.size(), request.cchTextMax - 1);
    const std::uint32_t text = request.pszText.bits;
    if (memory.Write(text, item->data.text.data(), count) != AddressSpace::Access::Ok ||
        memory.Write(text + static_cast<std::uint32_t>(count), "", 1) != AddressSpace::Access::Ok)
      return FALSE;
  }
  if ((request.mask & TVIF_IMAGE) != 0)
    request.iImage = item->data.image;
  if ((request.mask & TVIF_SELECTEDIMAGE) != 0)
    request.iSelectedImage = item->data.image;
  if ((request.mask & TVIF_PARAM) != 0)
    request.lParam = static_cast<LPARAM>(item->data.lParam);
  if ((request.mask & TVIF_STATE) != 0)
    request.state = (selection_ == key ? kStateSelected : 0) & request.stateMask;
  if ((request.mask & TVIF_CHILDREN) != 0)
    request.cChildren = item->firstChild != 0 ? 1 : 0;
  return memory.Write(at, &request, sizeof request) == AddressSpace::Access::Ok ? TRUE : FALSE;
}

// TVGN_CARET only: TRUE when the item is (or already was) selected, or when
// null clears the selection; FALSE for an item the tree does not have.
LRESULT TreeView::OnSelectItem(WPARAM flag, LPARAM item) {
  if (flag != TVGN_CARET)
    return FALSE;
  const auto key = static_cast<std::uint32_t>(item);
  if (key != 0 && !Find(key))
    return FALSE;
  selection_ = key;
  return TRUE;
}

// Every key press is reported to the parent as TVN_KEYDOWN; Enter is then
// reported as NM_RETURN, only when an item is selected (as Wine does).
LRESULT TreeView::OnKeyDown(SimWindow& self, WPARAM key) {
  const HWND parent = self.GetParent();
  if (!parent)
    return 0;
  NMTVKEYDOWN keyDown{};
  keyDown.hdr.hwndFrom = self.GetHandle();
  keyDown.hdr.code = TVN_KEYDOWN;
  keyDown.wVKey = static_cast<WORD>(key);
  SendMessageA(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&keyDown));
  if (key == VK_RETURN && selection_ != 0) {
    NMHDR enter{self.GetHandle(), 0, NM_RETURN};
    SendMessageA(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&enter));
  }
  return 0;
}

}  // namespace sim
