// The reference-counted base of the library's long-lived objects. A new object
// has no owner (count 0) until someone calls AddRef; every holder calls AddRef
// once and Release once. Counts change atomically: the polling thread and the
// host's main thread add and drop references to the same objects.
#pragma once

#include <atomic>

class VentReferenceCounted {
 public:
  VentReferenceCounted(const VentReferenceCounted&) = delete;
  VentReferenceCounted& operator=(const VentReferenceCounted&) = delete;

  virtual void DeleteThis();
  virtual void OnDeleting();
  virtual int AddRef();
  // Drops one reference and deletes the object with the last; a no-op on an
  // object whose count is already 0.
  virtual int Release();

 protected:
  VentReferenceCounted() = default;
  virtual ~VentReferenceCounted() = default;

 private:
  std::atomic<int> refcount_{0};
};
