#pragma once

#include "platform/sim/SimDesktop.h"

#include <cstdint>

// One expected call: the fields of `record` named in `compare` must equal the
// recorded call's; the kind of call is always compared.
struct ExpectedCall {
  enum Field : unsigned {
    kWindow = 1u << 0,
    kMessage = 1u << 1,
    kWParam = 1u << 2,
    kLParam = 1u << 3,
    kResult = 1u << 4,
    kProcess = 1u << 5,
    kAddress = 1u << 6,
    kSize = 1u << 7,
    kOk = 1u << 8,
  };

  sim::CallRecord record;
  unsigned compare = 0;
  bool optional = false;

  // A message sent to `window`.
  static ExpectedCall Send(HWND window, UINT message);
  // A ReadProcessMemory / WriteProcessMemory of `size` bytes in `processId`.
  static ExpectedCall Read(DWORD processId, std::uint32_t size);
  static ExpectedCall Write(DWORD processId, std::uint32_t size);
  // Any other kind of call, compared by kind alone until fields are added.
  static ExpectedCall Of(sim::Call call);

  ExpectedCall& Window(HWND window);
  ExpectedCall& WParam(WPARAM wParam);
  ExpectedCall& LParam(LPARAM lParam);
  ExpectedCall& Result(LRESULT result);
  ExpectedCall& Process(DWORD processId);
  ExpectedCall& Address(std::uint32_t address);
  ExpectedCall& Size(std::uint32_t size);
  ExpectedCall& Ok(bool ok);
  // The call may be missing from the recording.
  ExpectedCall& Optional();

  bool Matches(const sim::CallRecord& actual) const;

 private:
  template <class T>
  ExpectedCall& Compare(Field field, T sim::CallRecord::*member, T value) {
    record.*member = value;
    compare |= field;
    return *this;
  }
};
