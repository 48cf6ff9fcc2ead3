#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class VentriloElement;

// The elements of one instance's tree by item key (the client's record address
// for the item), looked up once per item in every pass. An open-addressing
// table: the key is spread by one multiplication and the slots are probed in
// a row, so a lookup touches one or two adjacent slots, and one whose element
// is unchanged allocates nothing. Key 0 is never entered: it marks a free slot.
class ItemMap {
 public:
  // The element under `key`, or null.
  VentriloElement* Find(std::uint32_t key) const;
  // Enters `element` under `key` (nonzero), replacing what was there.
  void Insert(std::uint32_t key, VentriloElement* element);
  // Removes `key` if it names `element`.
  void Erase(std::uint32_t key, const VentriloElement* element);
  void Clear();
  std::size_t Size() const { return size_; }

 private:
  struct Slot {
    std::uint32_t key;
    VentriloElement* element;
  };

  std::size_t Home(std::uint32_t key) const;
  void Grow();

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::size_t size_ = 0;
  unsigned shift_ = 32;  // 32 minus log2 of the slot count
};
