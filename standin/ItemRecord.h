// The client's own record for one tree item: 156 bytes in the client's memory,
// whose address the client stores as the item's lParam. Readers use only the
// rank id (16 bits at 0x7E) and the addresses of four NUL-terminated strings
// (0x88 name, 0x8C pronunciation, 0x90 comment, 0x94 comment URL); an empty
// string is stored as the address of a 0 byte that the client keeps mapped.
// Every other byte holds non-zero filler, so a reader that takes a neighbouring
// offset gets a wrong rank id or an unmapped string address, never the right
// value by accident.
#pragma once

#include "standin/RemoteArena.h"
#include "standin/Roster.h"

#include <cstdint>
#include <string>

namespace standin {

class ItemRecord {
 public:
  enum class Text : std::uint32_t { Name = 0x88, Pronunciation = 0x8C, Comment = 0x90, CommentURL = 0x94 };
  static constexpr std::uint32_t kRankIDOffset = 0x7E;

  // No record.
  ItemRecord() = default;
  // Carves and fills a record for `entry` and its strings.
  static ItemRecord Create(RemoteArena& arena, const Entry& entry);

  std::uint32_t Address() const { return address_; }
  explicit operator bool() const { return address_ != 0; }

  // Writes `text` as a new string and points the field at it; the old string
  // stays where it was.
  void SetText(RemoteArena& arena, Text field, const std::string& text) const;
  void SetRankID(RemoteArena& arena, std::uint16_t rankID) const;

 private:
  explicit ItemRecord(std::uint32_t address) : address_(address) {}

  std::uint32_t address_ = 0;
};

}  // namespace standin
