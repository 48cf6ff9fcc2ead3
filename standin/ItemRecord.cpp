#include "standin/ItemRecord.h"

#include "standin/StandinClient.h"

#include <array>
#include <cstring>

namespace standin {

namespace {

std::uint32_t StringAddress(RemoteArena& arena, const std::string& text) {
  return text.empty() ? kEmptyStringAddress : arena.PutString(text);
}

void Store32(std::array<std::uint8_t, kRecordSize>& bytes, std::uint32_t offset, std::uint32_t value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

}  // namespace

ItemRecord ItemRecord::Create(RemoteArena& arena, const Entry& entry) {
  std::array<std::uint8_t, kRecordSize> bytes;
  for (std::uint32_t i = 0; i < kRecordSize; ++i)
    bytes[i] = static_cast<std::uint8_t>(0x80u | ((i * 13u + 7u) & 0x7Fu));
  std::memcpy(bytes.data() + kRankIDOffset, &entry.rankID, sizeof entry.rankID);
  Store32(bytes, static_cast<std::uint32_t>(Text::Name), StringAddress(arena, entry.name));
  Store32(bytes, static_cast<std::uint32_t>(Text::Pronunciation), StringAddress(arena, entry.pronunciation));
  Store32(bytes, static_cast<std::uint32_t>(Text::Comment), StringAddress(arena, entry.comment));
  Store32(bytes, static_cast<std::uint32_t>(Text::CommentURL), StringAddress(arena, entry.commentURL));

  const std::uint32_t address = arena.Carve(kRecordSize, 4);
  if (address == 0 || !arena.Write(address, bytes.data(), kRecordSize))
    return ItemRecord();
  return ItemRecord(address);
}

void ItemRecord::SetText(RemoteArena& arena, Text field, const std::string& text) const {
  const std::uint32_t string = StringAddress(arena, text);
  arena.Write(address_ + static_cast<std::uint32_t>(field), &string, sizeof string);
}

void ItemRecord::SetRankID(RemoteArena& arena, std::uint16_t rankID) const {
  arena.Write(address_ + kRankIDOffset, &rankID, sizeof rankID);
}

}  // namespace standin
