#include "tests/support/MessageSequence.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

const char* NameOf(sim::Call call) {
  switch (call) {
    case sim::Call::SendMessage:
      return "SendMessage";
    case sim::Call::ReadMemory:
      return "ReadMemory";
    case sim::Call::WriteMemory:
      return "WriteMemory";
    case sim::Call::AllocMemory:
      return "AllocMemory";
    case sim::Call::FreeMemory:
      return "FreeMemory";
    case sim::Call::OpenProcess:
      return "OpenProcess";
    case sim::Call::CloseHandle:
      return "CloseHandle";
    case sim::Call::GetWindowText:
      return "GetWindowText";
    case sim::Call::GetClassName:
      return "GetClassName";
    case sim::Call::EnumWindows:
      return "EnumWindows";
    case sim::Call::EnumChildWindows:
      return "EnumChildWindows";
    case sim::Call::MessageBox:
      return "MessageBox";
  }
  return "?";
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

constexpr std::size_t kColumn = 64;

// The fields an expected entry compares, with the values it wants.
std::string DescribeExpected(const ExpectedCall& expected) {
  const sim::CallRecord& r = expected.record;
  std::ostringstream out;
  out << NameOf(r.call);
  auto field = [&](ExpectedCall::Field f, const char* name, const auto& value) {
    if ((expected.compare & f) != 0)
      out << ' ' << name << '=' << value;
  };
  field(ExpectedCall::kWindow, "hwnd", r.window);
  field(ExpectedCall::kMessage, "msg", Hex(r.message));
  field(ExpectedCall::kWParam, "wp", r.wParam);
  field(ExpectedCall::kLParam, "lp", Hex(r.lParam));
  field(ExpectedCall::kResult, "res", Hex(r.result));
  field(ExpectedCall::kProcess, "pid", r.processId);
  field(ExpectedCall::kAddress, "addr", Hex(r.address));
  field(ExpectedCall::kSize, "size", r.size);
  field(ExpectedCall::kOk, "ok", r.ok);
  if (expected.optional)
    out << " (optional)";
  return out.str();
}

}  // namespace

MessageSequence& MessageSequence::Add(const ExpectedCall& call) {
  calls_.push_back(call);
  return *this;
}

MessageSequence& MessageSequence::Add(const MessageSequence& calls) {
  calls_.insert(calls_.end(), calls.calls_.begin(), calls.calls_.end());
  return *this;
}

std::vector<sim::CallRecord> MessageSequence::Only(const std::vector<sim::CallRecord>& records,
                                                   std::initializer_list<sim::Call> kinds) {
  std::vector<sim::CallRecord> kept;
  std::copy_if(records.begin(), records.end(), std::back_inserter(kept), [&kinds](const sim::CallRecord& r) {
    return std::find(kinds.begin(), kinds.end(), r.call) != kinds.end();
  });
  return kept;
}

std::string MessageSequence::Describe(const sim::CallRecord& r) {
  std::ostringstream out;
  out << NameOf(r.call);
  switch (r.call) {
    case sim::Call::SendMessage:
      out << " hwnd=" << r.window << " msg=" << Hex(r.message) << " wp=" << r.wParam << " lp=" << Hex(r.lParam)
          << " res=" << Hex(r.result);
      break;
    case sim::Call::GetWindowText:
    case sim::Call::GetClassName:
    case sim::Call::EnumChildWindows:
      out << " hwnd=" << r.window;
      break;
    case sim::Call::EnumWindows:
    case sim::Call::MessageBox:
      break;
    default:
      out << " pid=" << r.processId << " addr=" << Hex(r.address) << " size=" << r.size << " ok=" << r.ok;
      break;
  }
  return out.str();
}

::testing::AssertionResult MessageSequence::Matches(const std::vector<sim::CallRecord>& records) const {
  // Rows of the dump: an expected entry (or none) beside the recorded call (or
  // none) it was paired with; after the first mismatch both sides run unpaired.
  struct Row {
    const ExpectedCall* expected;
    const sim::CallRecord* actual;
  };
  std::vector<Row> rows;
  std::size_t want = 0;
  std::size_t got = 0;
  for (; want < calls_.size(); ++want) {
    const ExpectedCall& expected = calls_[want];
    if (got < records.size() && expected.Matches(records[got]))
      rows.push_back({&expected, &records[got++]});
    else if (expected.optional)
      rows.push_back({&expected, nullptr});
    else
      break;
  }
  if (want == calls_.size() && got == records.size())
    return ::testing::AssertionSuccess();
  const std::size_t mismatch = rows.size();
  for (; want < calls_.size() || got < records.size(); ++want, ++got)
    rows.push_back({want < calls_.size() ? &calls_[want] : nullptr, got < records.size() ? &records[got] : nullptr});

  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << "call sequence differs at row " << mismatch << " (expected | recorded):\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string left = rows[i].expected ? DescribeExpected(*rows[i].expected) : "-";
    const std::string right = rows[i].actual ? Describe(*rows[i].actual) : "-";
    failure << (i == mismatch ? ">> " : "   ") << i << '\t' << left
            << std::string(left.size() < kColumn ? kColumn - left.size() : 1, ' ') << "| " << right << '\n';
  }
  return failure;
}
