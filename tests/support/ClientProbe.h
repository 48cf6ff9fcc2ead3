// Reads a client from the outside, with only the Win32 calls a reader in
// another process has: the window test (EnumWindows, GetWindowTextA,
// RealGetWindowClassA), the child controls (EnumChildWindows, WM_GETTEXT), the
// tree walk (TVM_GETNEXTITEM), each item through TVM_GETITEMA with its
// structure and text buffer committed inside the client (the tree view writes
// at those addresses in its own process), and the item's record and strings
// through ReadProcessMemory. The stand-in's tests check what it shows with it,
// and the desktop benchmark measures what such a reader costs.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

class ClientProbe {
 public:
  struct Control {
    HWND window;
    HWND parent;
    std::string className;
    std::string text;
  };

  // One tree item as a reader sees it.
  struct Item {
    HTREEITEM handle = nullptr;
    HTREEITEM parent = nullptr;  // null at the top level
    std::string text;
    int image = -1;
    std::uint32_t record = 0;
    std::uint16_t rankID = 0;
    std::string name;
    std::string pronunciation;
    std::string comment;
    std::string commentURL;
  };

  // The top-level dialogs titled exactly "Ventrilo" of real class "#32770",
  // other than the calling process's own, in EnumWindows order.
  static std::vector<HWND> FindClientWindows();
  // Every descendant of `dialog` in EnumChildWindows order, with its text as
  // WM_GETTEXT answers it.
  static std::vector<Control> ReadControls(HWND dialog);
  // TVM_GETNEXTITEM; 0 when there is no such item.
  static HTREEITEM Next(HWND tree, UINT flag, HTREEITEM item = nullptr);
  // TVM_SELECTITEM with TVGN_CARET.
  static bool Select(HWND tree, HTREEITEM item);
  // The Enter key pressed on the tree view.
  static void PressEnter(HWND tree);

  // Opens the process and commits the two buffers in it.
  explicit ClientProbe(DWORD processId);
  ~ClientProbe();
  ClientProbe(const ClientProbe&) = delete;
  ClientProbe& operator=(const ClientProbe&) = delete;

  bool IsOpen() const { return process_ != nullptr && itemBuffer_ != 0 && textBuffer_ != 0; }

  // The item's text, image and lParam: two TVM_GETITEMA requests.
  bool GetItem(HWND tree, HTREEITEM handle, Item* item) const;
  // The record at item->record: rank id and the four strings.
  bool ReadRecord(Item* item) const;
  bool ReadItem(HWND tree, HTREEITEM handle, Item* item) const;
  // Every item of the tree in pre-order (each item before its children,
  // siblings in tree order); items that cannot be read are left out.
  std::vector<Item> ReadTree(HWND tree) const;

  // A NUL-terminated string of the client: at most 1023 characters, read in
  // 1024 bytes and in halves of that when the read runs into unreadable memory.
  std::string ReadString(std::uint32_t address) const;
  bool Read(std::uint32_t address, void* data, std::uint32_t size) const;

 private:
  void ReadSubtree(HWND tree, HTREEITEM first, HTREEITEM parent, std::vector<Item>* items) const;
  bool Request(HWND tree, const TVITEMA& request, TVITEMA* answer) const;

  HANDLE process_;
  std::uint32_t itemBuffer_ = 0;
  std::uint32_t textBuffer_ = 0;
};

}  // namespace standin
