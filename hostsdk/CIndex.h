// A growable array of slots, each holding a value of T (a pointer in practice;
// a null value marks a free slot). Slots keep their index for life, so an index
// handed out by GetFreeSlot stays valid while the array grows.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

template <class T>
class CIndex {
 public:
  CIndex() = default;
  // Not virtual: the table holds the allocator's two operations only, as in the
  // host's SDK, and an index is never deleted through a base pointer.
  ~CIndex() { Free(slots_); }

  CIndex(const CIndex&) = delete;
  CIndex& operator=(const CIndex&) = delete;

  // The allocator of the slot array: plain heap blocks.
  virtual void* Allocate(std::size_t bytes) { return std::malloc(bytes); }
  virtual void Free(void* block) { std::free(block); }

  // Makes room for at least `count` slots; new slots are free. False only when
  // the allocation fails, leaving the array as it was.
  bool Resize(std::uint32_t count) {
    if (slots_ && capacity_ >= count)
      return true;
    T* grown = static_cast<T*>(Allocate(sizeof(T) * count));
    if (!grown)
      return false;
    std::memset(static_cast<void*>(grown), 0, sizeof(T) * count);
    if (slots_)
      std::memcpy(static_cast<void*>(grown), static_cast<const void*>(slots_), sizeof(T) * capacity_);
    Free(slots_);
    slots_ = grown;
    capacity_ = count;
    return true;
  }

  // The lowest free slot; when every slot is in use the array grows by ten and
  // the first new slot is returned. kNoSlot when it cannot grow.
  std::uint32_t GetFreeSlot() {
    for (std::uint32_t slot = 0; slot < capacity_; ++slot) {
      if (!slots_[slot])
        return slot;
    }
    const std::uint32_t first = capacity_;
    return Resize(capacity_ + kGrowth) ? first : kNoSlot;
  }

  std::uint32_t GetCapacity() const { return capacity_; }
  // Reading or writing a slot outside the array gives or changes nothing.
  T Get(std::uint32_t slot) const { return slot < capacity_ ? slots_[slot] : T(); }
  void Set(std::uint32_t slot, T value) {
    if (slot < capacity_)
      slots_[slot] = value;
  }

  static constexpr std::uint32_t kGrowth = 10;
  static constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;

 private:
  std::uint32_t capacity_ = 0;
  T* slots_ = nullptr;
};
