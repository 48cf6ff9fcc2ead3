// The stand-in client's per-item records (standin/RecordLayout.h) in the
// Win32 stand-in's own memory.
#pragma once

#include "standin/Roster.h"
#include "standin/win32/LowArena.h"

#include <cstdint>

namespace standin {

class RecordBook {
 public:
  bool Ok() const { return arena_.Ok(); }

  // A new record for `entry`; its address is the item's key for a reader. 0 when out of memory.
  std::uint32_t New(const Entry& entry);
  // Rewrites the record's fields from `entry`. The texts are written as new
  // strings and the old ones stay where they are, so a reader racing the change
  // never follows an address into freed memory.
  void Update(std::uint32_t record, const Entry& entry);

 private:
  LowArena arena_;
};

}  // namespace standin
