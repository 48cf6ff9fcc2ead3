#include "tests/soak/HeapInUse.h"

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_ASAN_COUNTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_ASAN_COUNTS 1
#endif
#endif

#ifdef SOAK_ASAN_COUNTS

// The sanitizer runtime's count; GCC ships no header declaring it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();

std::size_t HeapInUse() { return __sanitizer_get_current_allocated_bytes(); }

#else

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> inUse{0};

// Each block carries its size in front of it, in a header as large as the
// strictest alignment a plain new gives.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block)
    throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  inUse.fetch_add(size, std::memory_order_relaxed);
  return block + kHeader;
}

void Free(void* pointer) {
  if (!pointer)
    return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
  inUse.fetch_sub(*reinterpret_cast<std::size_t*>(block), std::memory_order_relaxed);
  std::free(block);
}

}  // namespace

std::size_t HeapInUse() { return inUse.load(std::memory_order_relaxed); }

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer) noexcept { Free(pointer); }
void operator delete[](void* pointer) noexcept { Free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Free(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Free(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Free(pointer); }

#endif
