#include "libventrilo/VentRemoteMemory.h"

#include <new>

VentRemoteMemory::VentRemoteMemory(HANDLE process) : process_(process) {}

VentRemoteMemory::~VentRemoteMemory() { Free(); }

namespace {

bool Commit(std::unique_ptr<VentRemoteBuffer>& buffer, HANDLE process) {
  if (buffer == nullptr || buffer->GetAddress() == nullptr)
    buffer.reset(new (std::nothrow) VentRemoteBuffer(process));
  return buffer != nullptr && buffer->GetAddress() != nullptr;
}

}  // namespace

bool VentRemoteMemory::Allocate() {
  const bool item = Commit(itemBuffer_, process_);
  const bool text = Commit(textBuffer_, process_);
  return item && text;
}

void VentRemoteMemory::Abandon() {
  for (VentRemoteBuffer* buffer : {itemBuffer_.get(), textBuffer_.get()}) {
    if (buffer != nullptr)
      buffer->Abandon();
  }
  Free();
}

void VentRemoteMemory::Free() {
  itemBuffer_.reset();
  textBuffer_.reset();
}
