#include "elements/SiblingOrder.h"

#include "elements/NameCollation.h"
#include "elements/VentriloElement.h"

std::size_t SiblingOrder::OutOfOrder(const VentriloElement* a, const VentriloElement* b) {
  return a && b && CompareNames(a->GetName(), b->GetName()) > 0 ? 1 : 0;
}

// Every sibling before the place sorts at or before the child and the one
// after it sorts after it, so a link never changes the count of pairs out of
// order: it replaces a pair in order with two in order.
SiblingOrder::Place SiblingOrder::Insert(VentriloElement* first, VentriloElement* child, Next next) {
  Place place{nullptr, first};
  if (outOfOrder_ != 0) {
    while (place.after && CompareNames(place.after->GetName(), child->GetName()) <= 0) {
      place.before = place.after;
      place.after = next(place.after);
    }
    return place;
  }
  if (!indexed_)
    Reindex(first, next);
  return index_.Insert(child);
}

void SiblingOrder::Unlinking(const VentriloElement* previous, const VentriloElement* child,
                             const VentriloElement* next) {
  outOfOrder_ = outOfOrder_ - OutOfOrder(previous, child) - OutOfOrder(child, next) + OutOfOrder(previous, next);
  if (indexed_)
    index_.Erase(index_.Find(child));
}

void SiblingOrder::Renaming(const VentriloElement* previous, const VentriloElement* child,
                            const VentriloElement* next) {
  outOfOrder_ -= OutOfOrder(previous, child) + OutOfOrder(child, next);
  if (indexed_)
    renaming_ = index_.Find(child);
}

// A chain still sorted after the rename keeps its index: the index holds the
// chain's order, which is then also the order of the names, and only the
// child's entry takes its new name.
void SiblingOrder::Renamed(const VentriloElement* previous, const VentriloElement* child,
                           const VentriloElement* next) {
  outOfOrder_ += OutOfOrder(previous, child) + OutOfOrder(child, next);
  if (outOfOrder_ != 0) {
    index_.Clear();
    indexed_ = false;
  } else if (indexed_) {
    index_.Rekey(renaming_);
  }
}

void SiblingOrder::Reindex(VentriloElement* first, Next next) {
  index_.Clear();
  for (VentriloElement* child = first; child; child = next(child))
    index_.Append(child);
  indexed_ = true;
}
