// The client's own record for one tree item (RecordLayout.h) in the simulated
// client's memory. An empty string is stored as the address of a 0 byte that
// the client keeps mapped.
#pragma once

#include "standin/RecordLayout.h"
#include "standin/RemoteArena.h"
#include "standin/Roster.h"

#include <cstdint>
#include <string>

namespace standin {

class ItemRecord {
 public:
  using Text = RecordText;

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
