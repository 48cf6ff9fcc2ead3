#include "elements/NextElementID.h"

#include "libventrilo/VentCriticalSection.h"
#include "libventrilo/VentScopedLock.h"

namespace {

// The counter and its lock live as long as the loaded module: made by the
// library's static initialisation, deleted when it unloads.
VentCriticalSection counterLock;
std::uint32_t lastID = 0;

}  // namespace

std::uint32_t NextElementID() {
  VentScopedLock lock(&counterLock);
  return ++lastID;
}
