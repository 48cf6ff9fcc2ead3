// Fuzzes the read of a NUL-terminated string out of a client's memory: strings
// without a terminator, strings that run up to the end of a region or into a
// no-access page, addresses at the top of the 32-bit space. The oracle is the
// client's memory itself (ClientRegion): what was read, cut where it must be,
// or the target left as it was.
#include "fuzz/ClientRegion.h"
#include "fuzz/FuzzCheck.h"
#include "libventrilo/ReadRemoteString.h"
#include "platform/sim/SimDesktop.h"

namespace {

DWORD client = 0;
HANDLE process = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  client = sim::CreateProcess("Ventrilo.exe");
  process = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  ClientRegion region(client, input);
  region.Seal();
  const std::uint32_t address = region.PickAddress(input);
  const std::string untouched = "\x01untouched";
  std::string target = untouched;
  ReadRemoteString(process, address, &target);
  const std::optional<std::string> expected = region.ExpectedString(address);
  FuzzCheck(target == expected.value_or(untouched), "string read", "got '" + target + "'");
  return 0;
}
