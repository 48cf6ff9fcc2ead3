#include "elements/ItemMap.h"

std::size_t ItemMap::Home(std::uint32_t key) const {
  // Fibonacci hashing: record addresses are aligned, so their low bits carry
  // little; the multiplication moves every bit into the top ones kept here.
  return static_cast<std::size_t>(static_cast<std::uint32_t>(key * 0x9E3779B1u) >> shift_);
}

VentriloElement* ItemMap::Find(std::uint32_t key) const {
  if (size_ == 0 || key == 0)
    return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = Home(key);; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.key == key)
      return slot.element;
    if (slot.key == 0)
      return nullptr;
  }
}

void ItemMap::Insert(std::uint32_t key, VentriloElement* element) {
  if (key == 0)
    return;
  if (2 * (size_ + 1) > slots_.size())
    Grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = Home(key);
  for (; slots_[i].key != 0; i = (i + 1) & mask) {
    if (slots_[i].key == key) {
      slots_[i].element = element;
      return;
    }
  }
  slots_[i] = {key, element};
  ++size_;
}

void ItemMap::Erase(std::uint32_t key, const VentriloElement* element) {
  if (size_ == 0 || key == 0)
    return;
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = Home(key);
  for (; slots_[hole].key != key; hole = (hole + 1) & mask) {
    if (slots_[hole].key == 0)
      return;
  }
  if (slots_[hole].element != element)
    return;
  // Shift back every later slot of the run whose home does not lie between the
  // hole and itself, so that no lookup stops early at the freed slot.
  for (std::size_t i = (hole + 1) & mask; slots_[i].key != 0; i = (i + 1) & mask) {
    const std::size_t home = Home(slots_[i].key);
    if (((i - home) & mask) >= ((i - hole) & mask)) {
      slots_[hole] = slots_[i];
      hole = i;
    }
  }
  slots_[hole] = {0, nullptr};
  --size_;
}

void ItemMap::Clear() {
  slots_.clear();
  size_ = 0;
  shift_ = 32;
}

void ItemMap::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  const std::size_t count = old.empty() ? 16 : 2 * old.size();
  slots_.assign(count, Slot{0, nullptr});
  shift_ = 32;
  for (std::size_t n = count; n > 1; n >>= 1)
    --shift_;
  size_ = 0;
  for (const Slot& slot : old) {
    if (slot.key != 0)
      Insert(slot.key, slot.element);
  }
}
