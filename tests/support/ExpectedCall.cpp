#include "tests/support/ExpectedCall.h"

ExpectedCall ExpectedCall::Of(sim::Call call) {
  ExpectedCall expected;
  expected.record.call = call;
  return expected;
}

ExpectedCall ExpectedCall::Send(HWND window, UINT message) {
  return Of(sim::Call::SendMessage).Window(window).Compare(kMessage, &sim::CallRecord::message, message);
}

ExpectedCall ExpectedCall::Read(DWORD processId, std::uint32_t size) {
  return Of(sim::Call::ReadMemory).Process(processId).Size(size);
}

ExpectedCall ExpectedCall::Write(DWORD processId, std::uint32_t size) {
  return Of(sim::Call::WriteMemory).Process(processId).Size(size);
}

ExpectedCall& ExpectedCall::Window(HWND window) { return Compare(kWindow, &sim::CallRecord::window, window); }

ExpectedCall& ExpectedCall::WParam(WPARAM wParam) { return Compare(kWParam, &sim::CallRecord::wParam, wParam); }

ExpectedCall& ExpectedCall::LParam(LPARAM lParam) { return Compare(kLParam, &sim::CallRecord::lParam, lParam); }

ExpectedCall& ExpectedCall::Result(LRESULT result) { return Compare(kResult, &sim::CallRecord::result, result); }

ExpectedCall& ExpectedCall::Process(DWORD processId) {
  return Compare(kProcess, &sim::CallRecord::processId, processId);
}

ExpectedCall& ExpectedCall::Address(std::uint32_t address) {
  return Compare(kAddress, &sim::CallRecord::address, address);
}

ExpectedCall& ExpectedCall::Size(std::uint32_t size) { return Compare(kSize, &sim::CallRecord::size, size); }

ExpectedCall& ExpectedCall::Ok(bool ok) { return Compare(kOk, &sim::CallRecord::ok, ok); }

ExpectedCall& ExpectedCall::Optional() {
  optional = true;
  return *this;
}

bool ExpectedCall::Matches(const sim::CallRecord& actual) const {
  const sim::CallRecord& want = record;
  auto differs = [this](Field field, bool equal) { return (compare & field) != 0 && !equal; };
  return want.call == actual.call && !differs(kWindow, want.window == actual.window) &&
         !differs(kMessage, want.message == actual.message) && !differs(kWParam, want.wParam == actual.wParam) &&
         !differs(kLParam, want.lParam == actual.lParam) && !differs(kResult, want.result == actual.result) &&
         !differs(kProcess, want.processId == actual.processId) && !differs(kAddress, want.address == actual.address) &&
         !differs(kSize, want.size == actual.size) && !differs(kOk, want.ok == actual.ok);
}
