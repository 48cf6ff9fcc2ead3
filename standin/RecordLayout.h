// The client's own record for one tree item, as the stand-in lays it out in
// its memory: 156 bytes at the address the client stores as the item's
// lParam. Readers use only the rank id (16 bits at 0x7E) and the addresses of
// four NUL-terminated strings (0x88 name, 0x8C pronunciation, 0x90 comment,
// 0x94 comment URL). Every other byte holds non-zero filler, so a reader that
// takes a neighbouring offset gets a wrong rank id or an unmapped string
// address, never the right value by accident.
#pragma once

#include <cstdint>

namespace standin {

inline constexpr std::uint32_t kRecordSize = 0x9C;
inline constexpr std::uint32_t kRankIDOffset = 0x7E;
// Where each string's address lies in the record.
enum class RecordText : std::uint32_t { Name = 0x88, Pronunciation = 0x8C, Comment = 0x90, CommentURL = 0x94 };
// The address an empty string is stored as on the simulated desktop: a 0 byte
// that the client keeps mapped.
inline constexpr std::uint32_t kEmptyStringAddress = 0x0053311Cu;

}  // namespace standin
