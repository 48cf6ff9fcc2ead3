// The race soak: the real module with its polling thread over a stand-in
// client that changes at random (RosterModel) while the module reads it. The
// changes are made from the message hook, just before messages of the
// capture reach the client, so they land in the middle of walks, at a rate of
// one change per few messages. Each burst of changes is followed by a quiet
// period; the element tree must then equal the client's roster, every element
// whose item stayed must keep its id and its metadata, and no pass may move
// an element more than once (there and back).
#pragma once

#include "tests/soak/RosterModel.h"
#include "tests/support/RecordingHost.h"

#include <atomic>
#include <map>
#include <random>
#include <string>

class Chorister;

class RaceSoak {
 public:
  RaceSoak(long long changes, unsigned long long seed) : changes_(changes), seed_(seed), random_(seed) {}
  // 0 when every check held.
  int Run();

 private:
  // Waits for `count` more hand-overs and applies the last one.
  bool Settle(int count);
  bool Burst();
  // The checks of one pass's events; false on a fault.
  bool CheckPass();
  bool Report(const std::string& problem) const;

  long long changes_;
  unsigned long long seed_;
  std::mt19937_64 random_;
  RecordingHost host_;
  Chorister* module_ = nullptr;
  std::unique_ptr<RosterModel> model_;
  std::atomic<long long> made_{0};
  long long passes_ = 0;
};
