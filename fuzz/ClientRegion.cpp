#include "fuzz/ClientRegion.h"

#include "libventrilo/ReadRemoteString.h"
#include "platform/sim/SimDesktop.h"

#include <cstring>

namespace {

constexpr DWORD kProtections[] = {PAGE_READWRITE, PAGE_READONLY, PAGE_NOACCESS};

}  // namespace

ClientRegion::ClientRegion(DWORD processId, FuzzedDataProvider& input)
    : processId_(processId), committedPages_(input.ConsumeIntegralInRange<std::uint32_t>(1, kPages)) {
  for (std::uint32_t page = 0; page < committedPages_; ++page)
    protections_.push_back(input.PickValueInArray(kProtections));
  // Input bytes first, then a filler byte: most strings run on without a
  // terminator until the filler happens to be 0.
  mirror_ = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, committedPages_ * kPageSize));
  mirror_.resize(committedPages_ * kPageSize, input.ConsumeIntegral<std::uint8_t>());
  sim::Allocate(processId_, committedPages_ * kPageSize, PAGE_READWRITE, kBase);
  sim::Write(processId_, kBase, mirror_.data(), static_cast<std::uint32_t>(mirror_.size()));
}

ClientRegion::~ClientRegion() { sim::Release(processId_, kBase); }

void ClientRegion::Poke(std::uint32_t address, const void* data, std::uint32_t size) {
  if (address < kBase || std::uint64_t{address} + size > kBase + mirror_.size())
    return;
  std::memcpy(mirror_.data() + (address - kBase), data, size);
  sim::Write(processId_, address, data, size);
}

void ClientRegion::Seal() {
  for (std::uint32_t page = 0; page < committedPages_; ++page)
    sim::Protect(processId_, kBase + page * kPageSize, kPageSize, protections_[page]);
}

std::uint32_t ClientRegion::PickAddress(FuzzedDataProvider& input) const {
  switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0:
      return 0;
    case 1:
      return kEmptyStringAddress;
    case 2:
      return 0xFFFFFFFFu - input.ConsumeIntegralInRange<std::uint32_t>(0, 2 * kPageSize);
    default:
      return kBase - 2 * kPageSize + input.ConsumeIntegralInRange<std::uint32_t>(0, kReservation + 4 * kPageSize);
  }
}

bool ClientRegion::Readable(std::uint32_t address, std::uint32_t size) const {
  const std::uint64_t end = std::uint64_t{address} + size;
  if (size == 0 || address < kBase || end > std::uint64_t{kBase} + committedPages_ * kPageSize)
    return false;
  for (std::uint64_t page = (address - kBase) / kPageSize; page * kPageSize + kBase < end; ++page) {
    if (protections_[page] == PAGE_NOACCESS)
      return false;
  }
  return true;
}

std::string ClientRegion::Bytes(std::uint32_t address, std::uint32_t size) const {
  return std::string(reinterpret_cast<const char*>(mirror_.data()) + (address - kBase), size);
}

std::optional<std::string> ClientRegion::ExpectedString(std::uint32_t address) const {
  if (address == 0 || address == kEmptyStringAddress)
    return std::string();
  // The reader reads the rest of the string's page (at most 1024 bytes) and
  // the next page only when no terminator came; Windows copies nothing from a
  // range that runs into an unreadable page. Either way the text is the 1024
  // bytes when they are readable, else the rest of the page, and the last
  // byte of a read always becomes the terminator.
  const std::uint32_t restOfPage = static_cast<std::uint32_t>(kPageSize - address % kPageSize);
  for (std::uint32_t size : {1024u, restOfPage}) {
    if (size <= 1024 && Readable(address, size)) {
      const std::string bytes = Bytes(address, size - 1);
      return bytes.substr(0, bytes.find('\0'));
    }
  }
  return std::nullopt;
}
