#include "elements/NameIndex.h"

#include <algorithm>

#include "elements/NameCollation.h"
#include "elements/VentriloElement.h"

NameIndex::NameIndex() = default;
NameIndex::~NameIndex() = default;

void NameIndex::Block::Open(std::size_t at, std::size_t gap) {
  std::move_backward(highs + at, highs + count, highs + count + gap);
  std::move_backward(rests + at, rests + count, rests + count + gap);
  count += gap;
}

void NameIndex::Block::Close(std::size_t at, std::size_t gap) {
  std::move(highs + at + gap, highs + count, highs + at);
  std::move(rests + at + gap, rests + count, rests + at);
  count -= gap;
}

void NameIndex::Block::Put(std::size_t at, const Key& key, VentriloElement* element) {
  highs[at] = key.high;
  rests[at] = {key.low, key.size, element};
}

NameIndex::Key NameIndex::MakeKey(const std::string& name) {
  Key key{0, 0, name.size()};
  const std::size_t prefix = std::min(name.size(), kPrefix);
  for (std::size_t i = 0; i < prefix; ++i) {
    const std::uint64_t byte = FoldNameByte(name[i]);
    (i < 8 ? key.high : key.low) |= byte << (56 - 8 * (i % 8));
  }
  return key;
}

// Names no longer than the prefix are told apart by it and their sizes alone:
// with equal prefixes, the shorter name is a prefix of the longer one.
bool NameIndex::Before(const Probe& probe, const Block& block, std::size_t at, bool orEqual) {
  const Key& key = probe.key;
  const Rest& held = block.rests[at];
  int order;
  if (key.high != block.highs[at])
    order = key.high < block.highs[at] ? -1 : 1;
  else if (key.low != held.low)
    order = key.low < held.low ? -1 : 1;
  else if (key.size <= kPrefix && held.size <= kPrefix)
    order = key.size == held.size ? 0 : (key.size < held.size ? -1 : 1);
  else
    order = CompareNames(probe.name, held.element->GetName());
  return orEqual ? order >= 0 : order > 0;
}

// Ordered names have ordered high halves, so the entries before the probe are
// those whose high half is lower, then some of those whose high half is equal.
NameIndex::Position NameIndex::Bound(const Probe& probe, bool orEqual) const {
  const std::uint64_t high = probe.key.high;
  auto block =
      static_cast<std::size_t>(std::lower_bound(lastHighs_.begin(), lastHighs_.end(), high) - lastHighs_.begin());
  while (block < blocks_.size() && lastHighs_[block] == high &&
         Before(probe, *blocks_[block], blocks_[block]->count - 1, orEqual))
    ++block;
  if (block == blocks_.size())
    return block == 0 ? Position{0, 0} : Position{block - 1, blocks_[block - 1]->count};
  const Block& entries = *blocks_[block];
  std::size_t at = 0;
  for (std::size_t i = 0; i < entries.count; ++i)
    at += entries.highs[i] < high ? 1 : 0;
  while (at < entries.count && entries.highs[at] == high && Before(probe, entries, at, orEqual))
    ++at;
  return {block, at};
}

bool NameIndex::Holds(Position position) const {
  return position.block < blocks_.size() && position.offset < blocks_[position.block]->count;
}

void NameIndex::BlockChanged(std::size_t block) {
  lastHighs_[block] = blocks_[block]->highs[blocks_[block]->count - 1];
}

void NameIndex::NewBlock(std::size_t at) {
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(at), std::make_unique<Block>());
  lastHighs_.insert(lastHighs_.begin() + static_cast<std::ptrdiff_t>(at), 0);
}

void NameIndex::DropBlock(std::size_t at) {
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(at));
  lastHighs_.erase(lastHighs_.begin() + static_cast<std::ptrdiff_t>(at));
}

void NameIndex::Transfer(Block& from, std::size_t first, std::size_t count, Block& to, std::size_t at) {
  to.Open(at, count);
  std::copy(from.highs + first, from.highs + first + count, to.highs + at);
  std::copy(from.rests + first, from.rests + first + count, to.rests + at);
  from.Close(first, count);
}

void NameIndex::Clear() {
  blocks_.clear();
  lastHighs_.clear();
}

// A rebuilt index fills its blocks to three quarters, leaving room for the
// names that arrive after.
void NameIndex::Append(VentriloElement* element) {
  if (blocks_.empty() || blocks_.back()->count >= kBlock * 3 / 4)
    NewBlock(blocks_.size());
  Block& last = *blocks_.back();
  last.Put(last.count++, MakeKey(element->GetName()), element);
  BlockChanged(blocks_.size() - 1);
}

NameIndex::Neighbours NameIndex::Insert(VentriloElement* element) {
  if (blocks_.empty()) {
    Append(element);
    return {nullptr, nullptr};
  }
  const Probe probe{element->GetName(), MakeKey(element->GetName())};
  auto [block, offset] = Bound(probe, true);
  if (blocks_[block]->count == kBlock) {
    Split(block);
    if (offset >= blocks_[block]->count) {
      offset -= blocks_[block]->count;
      ++block;
    }
  }
  Block& entries = *blocks_[block];
  // Only the last block is ever entered at its end: a place between two
  // blocks is the start of the later one.
  Neighbours neighbours{nullptr, offset < entries.count ? entries.rests[offset].element : nullptr};
  if (offset > 0)
    neighbours.before = entries.rests[offset - 1].element;
  else if (block > 0)
    neighbours.before = blocks_[block - 1]->rests[blocks_[block - 1]->count - 1].element;
  entries.Open(offset, 1);
  entries.Put(offset, probe.key, element);
  BlockChanged(block);
  return neighbours;
}

NameIndex::Position NameIndex::Find(const VentriloElement* element) const {
  const Probe probe{element->GetName(), MakeKey(element->GetName())};
  for (Position at = Bound(probe, false); at.block < blocks_.size(); ++at.block, at.offset = 0) {
    const Block& entries = *blocks_[at.block];
    for (; at.offset < entries.count; ++at.offset) {
      if (entries.rests[at.offset].element == element)
        return at;
      if (!Before(probe, entries, at.offset, true))
        return {blocks_.size(), 0};
    }
  }
  return {blocks_.size(), 0};
}

void NameIndex::Erase(Position position) {
  if (!Holds(position))
    return;
  Block& entries = *blocks_[position.block];
  entries.Close(position.offset, 1);
  if (blocks_.size() > 1 && entries.count <= kBlock / 4)
    Refill(position.block);
  else if (entries.count == 0)
    Clear();
  else
    BlockChanged(position.block);
}

void NameIndex::Rekey(Position position) {
  if (!Holds(position))
    return;
  Block& entries = *blocks_[position.block];
  entries.Put(position.offset, MakeKey(entries.rests[position.offset].element->GetName()),
              entries.rests[position.offset].element);
  BlockChanged(position.block);
}

// Done before an entry goes into the full `block`, which then keeps the lower
// half.
void NameIndex::Split(std::size_t block) {
  NewBlock(block + 1);
  Block& lower = *blocks_[block];
  Transfer(lower, kBlock / 2, lower.count - kBlock / 2, *blocks_[block + 1], 0);
  BlockChanged(block);
  BlockChanged(block + 1);
}

// The later block keeps its last entry.
void NameIndex::Refill(std::size_t block) {
  const std::size_t first = block + 1 < blocks_.size() ? block : block - 1;
  Block& lower = *blocks_[first];
  Block& upper = *blocks_[first + 1];
  if (lower.count + upper.count <= kBlock) {
    Transfer(upper, 0, upper.count, lower, lower.count);
    DropBlock(first + 1);
  } else if (lower.count < upper.count) {
    Transfer(upper, 0, (upper.count - lower.count) / 2, lower, lower.count);
  } else {
    const std::size_t moved = (lower.count - upper.count) / 2;
    Transfer(lower, lower.count - moved, moved, upper, 0);
  }
  BlockChanged(first);
}
