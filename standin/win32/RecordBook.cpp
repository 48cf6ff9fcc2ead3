#include "standin/win32/RecordBook.h"

#include "standin/StandinClient.h"

#include <cstring>

namespace standin {

namespace {

constexpr std::size_t kRankIDOffset = 0x7E;
constexpr std::size_t kNameOffset = 0x88;
constexpr std::size_t kPronunciationOffset = 0x8C;
constexpr std::size_t kCommentOffset = 0x90;
constexpr std::size_t kCommentURLOffset = 0x94;
constexpr unsigned char kFiller = 0xA5;

unsigned char* At(std::uint32_t record) { return reinterpret_cast<unsigned char*>(std::uintptr_t(record)); }

void Put32(std::uint32_t record, std::size_t offset, std::uint32_t value) {
  std::memcpy(At(record) + offset, &value, sizeof value);
}

}  // namespace

std::uint32_t RecordBook::New(const Entry& entry) {
  const std::uint32_t record = arena_.Allocate(kRecordSize);
  if (record == 0)
    return 0;
  std::memset(At(record), kFiller, kRecordSize);
  Update(record, entry);
  return record;
}

void RecordBook::Update(std::uint32_t record, const Entry& entry) {
  std::memcpy(At(record) + kRankIDOffset, &entry.rankID, sizeof entry.rankID);
  Put32(record, kNameOffset, arena_.String(entry.name));
  Put32(record, kPronunciationOffset, arena_.String(entry.pronunciation));
  Put32(record, kCommentOffset, arena_.String(entry.comment));
  Put32(record, kCommentURLOffset, arena_.String(entry.commentURL));
}

}  // namespace standin
