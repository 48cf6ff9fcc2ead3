#include "libventrilo/VentReferenceCounted.h"

void VentReferenceCounted::DeleteThis() {
  OnDeleting();
  delete this;
}

void VentReferenceCounted::OnDeleting() {}

int VentReferenceCounted::AddRef() { return refcount_.fetch_add(1) + 1; }

int VentReferenceCounted::Release() {
  // A compare-and-swap loop rather than a plain decrement: a count that is
  // already 0 must stay 0, even while another thread adds a reference.
  int count = refcount_.load();
  while (count != 0) {
    if (refcount_.compare_exchange_weak(count, count - 1)) {
      if (count == 1) {
        DeleteThis();
        return 0;
      }
      return count - 1;
    }
  }
  return 0;
}
