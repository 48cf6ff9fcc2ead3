#include "elements/SiblingOrder.h"

#include <iterator>

#include "elements/VentriloElement.h"

bool SiblingOrder::ByName::operator()(const VentriloElement* a, const VentriloElement* b) const {
  return VentriloElement::CompareNames(a->GetName(), b->GetName()) < 0;
}

std::size_t SiblingOrder::OutOfOrder(const VentriloElement* a, const VentriloElement* b) {
  return a && b && VentriloElement::CompareNames(a->GetName(), b->GetName()) > 0 ? 1 : 0;
}

// Every sibling before the place sorts at or before the child and the one
// after it sorts after it, so a link never changes the count of pairs out of
// order: it replaces a pair in order with two in order.
SiblingOrder::Place SiblingOrder::Insert(VentriloElement* first, VentriloElement* child) {
  Place place{nullptr, first};
  if (outOfOrder_ != 0) {
    while (place.after && VentriloElement::CompareNames(place.after->GetName(), child->GetName()) <= 0) {
      place.before = place.after;
      place.after = place.after->GetNext();
    }
    return place;
  }
  if (!indexed_)
    Reindex(first);
  // Equal names go after the ones already there: multiset's upper bound.
  const auto after = index_.upper_bound(child);
  if (after != index_.end())
    place.after = *after;
  else
    place.after = nullptr;
  if (after != index_.begin())
    place.before = *std::prev(after);
  index_.insert(after, child);
  return place;
}

void SiblingOrder::Unlinking(VentriloElement* child) {
  const VentriloElement* previous = child->GetPrevious();
  const VentriloElement* next = child->GetNext();
  outOfOrder_ = outOfOrder_ - OutOfOrder(previous, child) - OutOfOrder(child, next) + OutOfOrder(previous, next);
  if (!indexed_)
    return;
  // The chain was sorted, so the index holds the child among its equal names.
  for (auto [entry, end] = index_.equal_range(child); entry != end; ++entry) {
    if (*entry == child) {
      index_.erase(entry);
      break;
    }
  }
}

void SiblingOrder::Renaming(const VentriloElement* child) {
  outOfOrder_ -= OutOfOrder(child->GetPrevious(), child) + OutOfOrder(child, child->GetNext());
}

// A chain still sorted after the rename keeps its index valid: the index
// holds the chain's order, which is then also the order of the names.
void SiblingOrder::Renamed(const VentriloElement* child) {
  outOfOrder_ += OutOfOrder(child->GetPrevious(), child) + OutOfOrder(child, child->GetNext());
  if (outOfOrder_ != 0) {
    index_.clear();
    indexed_ = false;
  }
}

void SiblingOrder::Reindex(VentriloElement* first) {
  index_.clear();
  for (VentriloElement* child = first; child; child = child->GetNext())
    index_.insert(index_.end(), child);
  indexed_ = true;
}
