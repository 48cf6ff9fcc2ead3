// Checks recorded desktop calls against an expected sequence, in the manner of
// Wine's message tests: each expected entry says which fields it compares, an
// entry may be optional, and a mismatch prints both sequences side by side.
//
//   MessageSequence expected;
//   expected.Add(ExpectedCall::Send(tree, TVM_GETNEXTITEM).WParam(TVGN_CARET))
//           .Add(ExpectedCall::Read(pid, 156));
//   EXPECT_TRUE(expected.Matches(sim::TakeRecords()));
#pragma once

#include "platform/sim/SimDesktop.h"
#include "tests/support/ExpectedCall.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

class MessageSequence {
 public:
  MessageSequence& Add(const ExpectedCall& call);
  MessageSequence& Add(const MessageSequence& calls);

  // Keeps only the calls of the given kinds, so a sequence can leave out
  // traffic it does not care about.
  static std::vector<sim::CallRecord> Only(const std::vector<sim::CallRecord>& records,
                                           std::initializer_list<sim::Call> kinds);

  // Every recorded call must match the next expected entry, optional entries
  // aside, and nothing may be left over on either side. On failure the message
  // holds both sequences side by side with the first mismatch marked.
  ::testing::AssertionResult Matches(const std::vector<sim::CallRecord>& records) const;

  std::size_t Size() const { return calls_.size(); }

  // A readable line for one call, as the side-by-side dump shows it.
  static std::string Describe(const sim::CallRecord& record);

 private:
  std::vector<ExpectedCall> calls_;
};
