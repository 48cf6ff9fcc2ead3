// A window on the simulated desktop. Its title and class may be read from any
// thread without a message (GetWindowTextA, RealGetWindowClassA), so they sit
// behind their own small lock; everything a message reaches is used only
// while the owner's window thread lock is held. Where the window sits in the
// window tree is the desktop's business.
#pragma once

#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/TreeView.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace sim {

class SimWindow {
 public:
  SimWindow(HWND handle, std::shared_ptr<SimProcess> process, std::string className, std::string text, HWND parent,
            WindowProc proc);
  SimWindow(const SimWindow&) = delete;
  SimWindow& operator=(const SimWindow&) = delete;

  HWND GetHandle() const { return handle_; }
  HWND GetParent() const { return parent_; }
  SimProcess& Process() { return *process_; }
  DWORD ProcessID() const { return process_->GetID(); }
  // Null unless the window is a tree view.
  TreeView* Tree() { return tree_.get(); }

  // Copies at most capacity - 1 characters and a terminating NUL; returns the
  // number of characters copied (0 and nothing written when capacity is 0).
  static std::size_t CopyString(const std::string& from, char* to, std::size_t capacity);
  std::size_t CopyText(char* to, std::size_t capacity) const;
  std::size_t CopyClass(char* to, std::size_t capacity, bool real) const;
  void SetText(std::string text);
  void SetRealClass(std::string realClass);

  bool IsDestroyed() const { return destroyed_.load(std::memory_order_acquire); }
  void MarkDestroyed() { destroyed_.store(true, std::memory_order_release); }

  // The window procedure: the caller holds the owner's window thread lock.
  // Text messages are answered here for every class, as DefWindowProc and the
  // standard controls do; tree-view messages go to the tree; the rest (a
  // dialog's WM_NOTIFY among them) go to the procedure given at creation.
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CallProc(UINT message, WPARAM wParam, LPARAM lParam) const;

 private:
  LRESULT OnGetText(WPARAM capacity, LPARAM buffer) const;
  LRESULT OnGetTextLength() const;
  LRESULT OnSetText(LPARAM text);

  const HWND handle_;
  const HWND parent_;
  const std::shared_ptr<SimProcess> process_;
  const std::string className_;
  const WindowProc proc_;
  const std::unique_ptr<TreeView> tree_;
  mutable std::mutex textMutex_;
  std::string text_;
  std::string realClass_;
  std::atomic<bool> destroyed_{false};
};

}  // namespace sim
