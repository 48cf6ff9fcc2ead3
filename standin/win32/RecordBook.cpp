#include "standin/win32/RecordBook.h"

#include "standin/RecordLayout.h"

#include <cstring>

namespace standin {

namespace {

constexpr unsigned char kFiller = 0xA5;

unsigned char* At(std::uint32_t record) { return reinterpret_cast<unsigned char*>(std::uintptr_t(record)); }

void Put32(std::uint32_t record, RecordText field, std::uint32_t value) {
  std::memcpy(At(record) + static_cast<std::uint32_t>(field), &value, sizeof value);
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
  Put32(record, RecordText::Name, arena_.String(entry.name));
  Put32(record, RecordText::Pronunciation, arena_.String(entry.pronunciation));
  Put32(record, RecordText::Comment, arena_.String(entry.comment));
  Put32(record, RecordText::CommentURL, arena_.String(entry.commentURL));
}

}  // namespace standin
