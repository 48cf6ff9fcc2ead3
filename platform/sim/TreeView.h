// The "SysTreeView32" control of the simulated desktop: its items, their
// links and the selection, and the tree-view messages it answers. Item
// handles are 32-bit values that stand for the control's heap blocks, as on
// Windows: a deleted item's block goes to the next item the tree inserts
// (the last freed first), so a handle taken before a delete can come to mean
// another item under another parent. Fresh blocks come from one desktop-wide
// counter, so no two trees share a handle. Every member runs under the
// owning process's window thread lock.
#pragma once

#include "platform/sim/SimDesktop.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace sim {

class SimWindow;

class TreeView {
 public:
  // The tree view's window procedure for the messages it knows; others go to
  // the window's own procedure.
  LRESULT Dispatch(SimWindow& self, UINT message, WPARAM wParam, LPARAM lParam);

  // The owner's side. `parent` is TVI_ROOT (or null) for the top level;
  // `after` is TVI_FIRST, TVI_LAST or a sibling under `parent`.
  HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const TreeItemData& data);
  // Deletes the item and its subtree (TVI_ROOT: every item).
  bool Delete(HTREEITEM item);
  void Clear();
  bool Set(HTREEITEM item, const TreeItemData& data);
  bool Get(HTREEITEM item, TreeItemData* data) const;
  HTREEITEM Selection() const { return ToHandle(selection_); }
  std::size_t Count() const { return items_.size(); }

 private:
  struct Item {
    TreeItemData data;
    std::uint32_t parent = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t lastChild = 0;
    std::uint32_t next = 0;
    std::uint32_t previous = 0;
  };

  static std::uint32_t ToKey(HTREEITEM item) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(item));
  }
  static HTREEITEM ToHandle(std::uint32_t key) { return reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(key)); }
  const Item* Find(std::uint32_t key) const;
  Item* Find(std::uint32_t key);
  // The first / last child of `parent`; 0 stands for the top level.
  std::uint32_t& FirstChildOf(std::uint32_t parent);
  std::uint32_t& LastChildOf(std::uint32_t parent);
  void Unlink(std::uint32_t key);
  void EraseSubtree(std::uint32_t key);

  LRESULT OnGetNextItem(WPARAM flag, LPARAM item) const;
  LRESULT OnGetItem(SimWindow& self, LPARAM address) const;
  LRESULT OnSelectItem(WPARAM flag, LPARAM item);
  LRESULT OnKeyDown(SimWindow& self, WPARAM key);

  std::unordered_map<std::uint32_t, Item> items_;
  // The blocks of deleted items, the last freed at the back.
  std::vector<std::uint32_t> freed_;
  std::uint32_t firstRoot_ = 0;
  std::uint32_t lastRoot_ = 0;
  std::uint32_t selection_ = 0;
};

}  // namespace sim
