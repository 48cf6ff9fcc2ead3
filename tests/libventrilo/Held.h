#pragma once

#include <utility>

// Holds one reference on a library object and drops it at the end of scope.
template <class T>
class Held {
 public:
  Held() = default;
  // Adopts a reference the caller already owns.
  explicit Held(T* object) : object_(object) {}
  ~Held() { Reset(); }

  Held(Held&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Held& operator=(Held&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  // For out-parameters that hand over a reference.
  T** Out() { return &object_; }
  void Reset() {
    if (object_)
      std::exchange(object_, nullptr)->Release();
  }

 private:
  T* object_ = nullptr;
};
