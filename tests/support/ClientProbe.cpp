#include "tests/support/ClientProbe.h"

#include "standin/RecordLayout.h"

#include <array>
#include <cstring>

namespace standin {

namespace {

constexpr std::uint32_t kBufferSize = 4096;
constexpr std::uint32_t kTextRead = 1024;
constexpr std::uint32_t kSmallestStringRead = 16;

std::uint32_t Commit(HANDLE process) {
  const LPVOID address = VirtualAllocEx(process, nullptr, kBufferSize, MEM_COMMIT, PAGE_READWRITE);
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
}

LPVOID Remote(std::uint32_t address) { return reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(address)); }

std::uint32_t Load32(const std::array<std::uint8_t, kRecordSize>& bytes, RecordText field) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + static_cast<std::uint32_t>(field), sizeof value);
  return value;
}

BOOL CALLBACK CollectClientWindow(HWND window, LPARAM context) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  char title[256] = {};
  char className[256] = {};
  if (processId != GetCurrentProcessId() && GetWindowTextA(window, title, sizeof title) != 0 &&
      std::strcmp(title, "Ventrilo") == 0 && RealGetWindowClassA(window, className, sizeof className) != 0 &&
      std::strcmp(className, "#32770") == 0)
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectControl(HWND window, LPARAM context) {
  char text[256] = {};
  char className[256] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  RealGetWindowClassA(window, className, sizeof className);
  reinterpret_cast<std::vector<ClientProbe::Control>*>(context)->push_back(
      ClientProbe::Control{window, GetParent(window), className, text});
  return TRUE;
}

}  // namespace

std::vector<HWND> ClientProbe::FindClientWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectClientWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<ClientProbe::Control> ClientProbe::ReadControls(HWND dialog) {
  std::vector<Control> controls;
  EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

HTREEITEM ClientProbe::Next(HWND tree, UINT flag, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(item)));
}

bool ClientProbe::Select(HWND tree, HTREEITEM item) {
  return SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

void ClientProbe::PressEnter(HWND tree) {
  SendMessageA(tree, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(tree, WM_KEYUP, VK_RETURN, 0);
}

ClientProbe::ClientProbe(DWORD processId) : process_(OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, processId)) {
  if (process_ == nullptr)
    return;
  itemBuffer_ = Commit(process_);
  textBuffer_ = Commit(process_);
}

ClientProbe::~ClientProbe() {
  if (process_ == nullptr)
    return;
  for (const std::uint32_t buffer : {itemBuffer_, textBuffer_}) {
    if (buffer != 0)
      VirtualFreeEx(process_, Remote(buffer), 0, MEM_RELEASE);
  }
  CloseHandle(process_);
}

bool ClientProbe::Request(HWND tree, const TVITEMA& request, TVITEMA* answer) const {
  if (!WriteProcessMemory(process_, Remote(itemBuffer_), &request, sizeof request, nullptr) ||
      SendMessageA(tree, TVM_GETITEMA, 0, static_cast<LPARAM>(itemBuffer_)) == 0)
    return false;
  return ReadProcessMemory(process_, Remote(itemBuffer_), answer, sizeof *answer, nullptr) != 0;
}

bool ClientProbe::GetItem(HWND tree, HTREEITEM handle, Item* item) const {
  if (!IsOpen())
    return false;
  TVITEMA request = {};
  TVITEMA answer = {};
  request.mask = TVIF_TEXT;
  request.hItem = handle;
  request.pszText = static_cast<LPSTR>(Remote(textBuffer_));
  request.cchTextMax = kBufferSize;
  char text[kTextRead] = {};
  if (Request(tree, request, &answer) && Read(textBuffer_, text, sizeof text))
    item->text.assign(text, strnlen(text, sizeof text - 1));

  request = {};
  request.mask = TVIF_IMAGE | TVIF_PARAM;
  request.hItem = handle;
  if (!Request(tree, request, &answer))
    return false;
  item->handle = handle;
  item->image = answer.iImage;
  item->record = static_cast<std::uint32_t>(static_cast<LPARAM>(answer.lParam));
  return true;
}

bool ClientProbe::ReadRecord(Item* item) const {
  std::array<std::uint8_t, kRecordSize> bytes;
  if (!Read(item->record, bytes.data(), kRecordSize))
    return false;
  std::memcpy(&item->rankID, bytes.data() + kRankIDOffset, sizeof item->rankID);
  item->name = ReadString(Load32(bytes, RecordText::Name));
  item->pronunciation = ReadString(Load32(bytes, RecordText::Pronunciation));
  item->comment = ReadString(Load32(bytes, RecordText::Comment));
  item->commentURL = ReadString(Load32(bytes, RecordText::CommentURL));
  return true;
}

bool ClientProbe::ReadItem(HWND tree, HTREEITEM handle, Item* item) const {
  return GetItem(tree, handle, item) && ReadRecord(item);
}

std::vector<ClientProbe::Item> ClientProbe::ReadTree(HWND tree) const {
  std::vector<Item> items;
  ReadSubtree(tree, Next(tree, TVGN_ROOT), nullptr, &items);
  return items;
}

void ClientProbe::ReadSubtree(HWND tree, HTREEITEM first, HTREEITEM parent, std::vector<Item>* items) const {
  for (HTREEITEM handle = first; handle != nullptr; handle = Next(tree, TVGN_NEXT, handle)) {
    Item item;
    item.parent = parent;
    if (ReadItem(tree, handle, &item))
      items->push_back(std::move(item));
    ReadSubtree(tree, Next(tree, TVGN_CHILD, handle), handle, items);
  }
}

std::string ClientProbe::ReadString(std::uint32_t address) const {
  if (address == 0 || address == kEmptyStringAddress)
    return "";
  char text[kTextRead];
  for (std::uint32_t size = kTextRead; size >= kSmallestStringRead; size /= 2) {
    SIZE_T count = 0;
    if (ReadProcessMemory(process_, Remote(address), text, size, &count) && count > 0) {
      text[count - 1] = '\0';
      return text;
    }
    if (GetLastError() != ERROR_PARTIAL_COPY)
      break;
  }
  return "";
}

bool ClientProbe::Read(std::uint32_t address, void* data, std::uint32_t size) const {
  SIZE_T count = 0;
  return ReadProcessMemory(process_, Remote(address), data, size, &count) && count == size;
}

}  // namespace standin
