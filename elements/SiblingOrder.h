#pragma once

#include <cstddef>

#include "elements/NameIndex.h"

class VentriloElement;

// Finds where a new child goes among an element's children: before the first
// sibling, from the head of the chain, whose name sorts after the child's
// (CompareNames), at the end when none does.
//
// While the chain is sorted by its current names, that place is the upper
// bound of the child's name, which an index of the chain (NameIndex) gives in
// logarithmic time, so filling a channel in any name order stays linear
// overall. A rename does not move an element and can leave the chain
// unsorted; the place is then found by walking the chain from its head, as
// the rule says, until the chain is sorted again. Sortedness is tracked as the
// number of neighbouring pairs out of order, kept up to date at every link,
// unlink and rename. The chain's links are the element's: the order is told
// a child's neighbours, and walks the chain with the element's `Next`.
class SiblingOrder {
 public:
  // The siblings `child` goes between (null: the chain's end) in the chain
  // headed by `first`. The child is counted in from here on, so the caller
  // links it there.
  using Place = NameIndex::Neighbours;
  using Next = VentriloElement* (*)(const VentriloElement* element);
  Place Insert(VentriloElement* first, VentriloElement* child, Next next);
  // Before the linked `child`, between `previous` and `next` (null: none),
  // leaves the chain.
  void Unlinking(const VentriloElement* previous, const VentriloElement* child, const VentriloElement* next);
  // Around a change of the linked `child`'s name, between `previous` and `next`.
  void Renaming(const VentriloElement* previous, const VentriloElement* child, const VentriloElement* next);
  void Renamed(const VentriloElement* previous, const VentriloElement* child, const VentriloElement* next);

 private:
  // 1 when `a` and `b` are both set and `a`'s name sorts after `b`'s.
  static std::size_t OutOfOrder(const VentriloElement* a, const VentriloElement* b);
  void Reindex(VentriloElement* first, Next next);

  std::size_t outOfOrder_ = 0;
  // The chain in its order, valid only while `indexed_`: always dropped when
  // the chain becomes unsorted, rebuilt when it is needed sorted again.
  NameIndex index_;
  bool indexed_ = false;
  // The renamed child's entry, from Renaming to Renamed.
  NameIndex::Position renaming_{};
};
