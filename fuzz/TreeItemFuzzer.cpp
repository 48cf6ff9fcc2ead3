// Fuzzes the read of one tree item of a client: its text (up to 2000
// characters), its image, its lParam (0, in a record, near the end of the
// region, in a no-access page, at the top of the address space), the record's
// rank id and four string pointers, and an item the tree view no longer
// knows. The oracle is what the client holds (ClientRegion).
#include "fuzz/ClientRegion.h"
#include "fuzz/FuzzCheck.h"
#include "libventrilo/ParseDisplayText.h"
#include "libventrilo/ReadTreeItem.h"
#include "libventrilo/TreeItemInfo.h"
#include "libventrilo/VentRemoteMemory.h"
#include "platform/sim/SimDesktop.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint32_t kRecordSize = 0x9C;
constexpr std::uint32_t kRankIDOffset = 0x7E;
constexpr std::uint32_t kStringOffsets[] = {0x88, 0x8C, 0x90, 0x94};

DWORD client = 0;
HWND tree = nullptr;
HTREEITEM item = nullptr;
HTREEITEM deleted = nullptr;
VentRemoteMemory* memory = nullptr;

// Whether a string pointer may land in the reader's own buffers in the
// client, whose contents the oracle does not model.
bool InReaderBuffers(std::uint32_t address) {
  for (VentRemoteBuffer* buffer : {memory->GetItemBuffer(), memory->GetTextBuffer()}) {
    const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(buffer->GetAddress()));
    if (address + 1024 > base && address < base + buffer->GetSize())
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The parse reports names it cannot find on standard output.
  std::freopen("/dev/null", "w", stdout);
  client = sim::CreateProcess("Ventrilo.exe");
  tree = sim::CreateWindow(client, "SysTreeView32", "");
  item = sim::TreeInsert(tree, TVI_ROOT, TVI_LAST, {});
  deleted = sim::TreeInsert(tree, TVI_ROOT, TVI_LAST, {});
  sim::TreeDelete(tree, deleted);
  memory = new VentRemoteMemory(OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client));
  memory->Allocate();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  ClientRegion region(client, input);
  const bool stale = input.ConsumeIntegralInRange(0, 15) == 0;
  sim::TreeItemData shown;
  shown.image = input.ConsumeIntegralInRange(-2, 16);
  shown.lParam = region.PickAddress(input);
  std::uint32_t pointers[4];
  for (std::uint32_t& pointer : pointers) {
    pointer = region.PickAddress(input);
    region.Poke(shown.lParam + kStringOffsets[&pointer - pointers], &pointer, sizeof pointer);
  }
  shown.text = input.ConsumeRandomLengthString(2000);
  shown.text.resize(std::strlen(shown.text.c_str()));
  region.Seal();
  sim::TreeSet(tree, item, shown);

  TreeItemInfo info;
  bool answered = true;
  bool gone = false;
  const bool read = ReadTreeItem(tree, stale ? deleted : item, memory, &info, &answered, &gone);
  FuzzCheck(answered, "the tree view answered");
  FuzzCheck(sim::TakeMessageBoxes().empty(), "no box from one read: the capture decides");
  if (stale) {
    FuzzCheck(!read && gone && info.displayText.empty() && info.iconID == -1, "an unknown item is not read");
    return 0;
  }
  FuzzCheck(!gone, "a known item is not gone");
  FuzzCheck(info.displayText == shown.text.substr(0, 1023), "display text", info.displayText);
  if (!region.Readable(shown.lParam, kRecordSize)) {
    FuzzCheck(!read && info.iconID == shown.image && info.name.empty() && info.recordAddress == 0,
              "unreadable record: the image only");
    return 0;
  }
  FuzzCheck(read, "a readable record is read");
  FuzzCheck(info.iconID == shown.image && info.recordAddress == shown.lParam, "image and record address");
  std::uint16_t rankID = 0;
  std::memcpy(&rankID, region.Bytes(shown.lParam + kRankIDOffset, sizeof rankID).data(), sizeof rankID);
  FuzzCheck(info.rankID == rankID, "rank id");
  const std::string* fields[] = {&info.name, &info.pronunciation, &info.comment, &info.commentURL};
  for (int field = 0; field < 4; ++field) {
    if (!InReaderBuffers(pointers[field]))
      FuzzCheck(*fields[field] == region.ExpectedString(pointers[field]).value_or(""), "record string", *fields[field]);
  }
  TreeItemInfo parsed;
  parsed.displayText = info.displayText;
  parsed.name = info.name;
  ParseDisplayText(&parsed);
  FuzzCheck(info.flags == parsed.flags && info.rank == parsed.rank, "flags and rank come from the parse");
  return 0;
}
