#include "platform/sim/SimWindow.h"

#include <cstring>
#include <strings.h>

namespace sim {

SimWindow::SimWindow(HWND handle, std::shared_ptr<SimProcess> process, std::string className, std::string text,
                     HWND parent, WindowProc proc)
    : handle_(handle),
      parent_(parent),
      process_(std::move(process)),
      className_(std::move(className)),
      proc_(std::move(proc)),
      tree_(strcasecmp(className_.c_str(), WC_TREEVIEWA) == 0 ? std::make_unique<TreeView>() : nullptr),
      text_(std::move(text)) {}

std::size_t SimWindow::CopyString(const std::string& from, char* to, std::size_t capacity) {
  if (capacity == 0 || !to)
    return 0;
  const std::size_t count = std::min(from.size(), capacity - 1);
  std::memcpy(to, from.data(), count);
  to[count] = '\0';
  return count;
}

std::size_t SimWindow::CopyText(char* to, std::size_t capacity) const {
  std::lock_guard lock(textMutex_);
  return CopyString(text_, to, capacity);
}

std::size_t SimWindow::CopyClass(char* to, std::size_t capacity, bool real) const {
  std::lock_guard lock(textMutex_);
  return CopyString(real && !realClass_.empty() ? realClass_ : className_, to, capacity);
}

void SimWindow::SetText(std::string text) {
  std::lock_guard lock(textMutex_);
  text_ = std::move(text);
}

void SimWindow::SetRealClass(std::string realClass) {
  std::lock_guard lock(textMutex_);
  realClass_ = std::move(realClass);
}

LRESULT SimWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETTEXT:
      return OnGetText(wParam, lParam);
    case WM_GETTEXTLENGTH:
      return OnGetTextLength();
    case WM_SETTEXT:
      return OnSetText(lParam);
    default:
      return tree_ ? tree_->Dispatch(*this, message, wParam, lParam) : CallProc(message, wParam, lParam);
  }
}

LRESULT SimWindow::CallProc(UINT message, WPARAM wParam, LPARAM lParam) const {
  return proc_ ? proc_(handle_, message, wParam, lParam) : 0;
}

LRESULT SimWindow::OnGetText(WPARAM capacity, LPARAM buffer) const {
  return static_cast<LRESULT>(CopyText(reinterpret_cast<char*>(buffer), capacity));
}

LRESULT SimWindow::OnGetTextLength() const {
  std::lock_guard lock(textMutex_);
  return static_cast<LRESULT>(text_.size());
}

LRESULT SimWindow::OnSetText(LPARAM text) {
  const char* value = reinterpret_cast<const char*>(text);
  SetText(value ? value : "");
  return TRUE;
}

}  // namespace sim
