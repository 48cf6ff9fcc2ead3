#include "libventrilo/ReadTreeItem.h"

#include "libventrilo/ParseDisplayText.h"
#include "libventrilo/ReadRemoteString.h"
#include "libventrilo/TreeItemInfo.h"
#include "libventrilo/VentRemoteMemory.h"
#include "libventrilo/VentSendMessage.h"

#include <cstdint>
#include <cstring>

namespace {

// The client's record for an item: only these fields of its first 156 bytes
// are used. The string fields hold addresses in the client process.
constexpr SIZE_T kRecordSize = 0x9C;
constexpr std::size_t kRankIDOffset = 0x7E;
constexpr std::size_t kNameOffset = 0x88;
constexpr std::size_t kPronunciationOffset = 0x8C;
constexpr std::size_t kCommentOffset = 0x90;
constexpr std::size_t kCommentURLOffset = 0x94;

constexpr SIZE_T kTextRead = 1024;

template <class T>
T FieldAt(const unsigned char* record, std::size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

// Places `request` in the item buffer and sends TVM_GETITEMA for it. A
// request that went unanswered stays queued in the client, which answers it
// into the buffers whenever it wakes: they are abandoned. One that is
// answered comes after every queued one, so abandoned buffers are free again.
bool RequestItem(HWND tree, VentRemoteMemory* memory, const TVITEMA& request, LRESULT* answer) {
  VentRemoteBuffer* itemBuffer = memory->GetItemBuffer();
  itemBuffer->Write(&request, sizeof request);
  if (VentSendMessage(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(itemBuffer->GetAddress()), answer)) {
    memory->Drained();
    return true;
  }
  memory->Abandon();
  return false;
}

}  // namespace

bool ReadTreeItem(HWND tree, HTREEITEM item, VentRemoteMemory* memory, TreeItemInfo* info, bool* answered,
                  bool* itemGone) {
  VentRemoteBuffer* itemBuffer = memory->GetItemBuffer();
  VentRemoteBuffer* textBuffer = memory->GetTextBuffer();
  // The tree view writes the structure and the text at whatever address it is
  // given, inside the client: never send it a null one.
  if (!itemBuffer || !textBuffer || !itemBuffer->GetAddress() || !textBuffer->GetAddress())
    return false;

  TVITEMA request = {};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = reinterpret_cast<LPSTR>(textBuffer->GetAddress());
  request.cchTextMax = static_cast<int>(textBuffer->GetSize());
  LRESULT answer = 0;
  if (!RequestItem(tree, memory, request, &answer)) {
    *answered = false;
    return false;
  }
  if (answer != 0) {
    char text[kTextRead];
    text[0] = 0;
    textBuffer->Read(text, kTextRead);
    text[kTextRead - 1] = 0;
    info->displayText.assign(text);
  }

  request = {};
  request.mask = TVIF_IMAGE | TVIF_PARAM;
  request.hItem = item;
  if (!RequestItem(tree, memory, request, &answer)) {
    *answered = false;
    return false;
  }
  if (answer == 0) {
    if (itemGone)
      *itemGone = true;
    return false;
  }
  itemBuffer->Read(&request, sizeof request);
  // The image counts even when the record cannot be read: a client shows its
  // connection state by the root's image alone.
  info->iconID = request.iImage;
  const std::uint32_t recordAddress = static_cast<std::uint32_t>(static_cast<LPARAM>(request.lParam));

  const HANDLE process = memory->GetProcess();
  unsigned char record[kRecordSize];
  SIZE_T count = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<UINT_PTR>(recordAddress)), record, kRecordSize,
                         &count) ||
      count != kRecordSize)
    return false;

  ReadRemoteString(process, FieldAt<std::uint32_t>(record, kNameOffset), &info->name);
  ReadRemoteString(process, FieldAt<std::uint32_t>(record, kPronunciationOffset), &info->pronunciation);
  ReadRemoteString(process, FieldAt<std::uint32_t>(record, kCommentOffset), &info->comment);
  ReadRemoteString(process, FieldAt<std::uint32_t>(record, kCommentURLOffset), &info->commentURL);
  info->rankID = FieldAt<std::uint16_t>(record, kRankIDOffset);
  info->recordAddress = recordAddress;
  ParseDisplayText(info);
  return true;
}
