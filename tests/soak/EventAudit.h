// Checks the events of a pass against what the pass changed.
//
// It takes over the recording host's onFire (a test's own handler can be
// chained through `next`). Every event must name a live element when it is
// raised, and an element leaving the instance must still be linked to its
// parent. After the pass, Check() takes each instance in turn: from the
// expectations before and after the pass and the items the pass met, it works
// out each element's own sequence of events and compares it with what was
// raised for that element's id:
//  - an element that arrived: its change events from the empty start, in the
//    order icon, name, pronunciation, comment, comment URL, rank id, rank,
//    flags, display text, then joined instance and joined parent;
//  - one that stayed: the change events of each meeting, and left parent and
//    joined parent when a meeting moved it; its id is unchanged;
//  - one that left: exactly one leaving instance, then leaving parent;
//  - the instance: online or offline when its state changed.
// CheckRestart() takes a client that exited and started again instead: its old
// instance closes and every element of it leaves, and a new instance opens.
// The numeric change events carry the previous value.
#pragma once

#include "tests/soak/TreeExpectation.h"
#include "tests/support/RecordingHost.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

class EventAudit {
 public:
  explicit EventAudit(RecordingHost& host);
  ~EventAudit();

  EventAudit(const EventAudit&) = delete;
  EventAudit& operator=(const EventAudit&) = delete;

  // Forgets the events so far; call before a pass.
  void Begin();
  // The differences for one instance, one line each. `idsBefore` is
  // TreeExpectation::IdsByKey taken before the pass.
  std::vector<std::string> Check(const VentriloInstance& instance, const TreeExpectation& before,
                                 const std::map<std::uint32_t, std::uint32_t>& idsBefore, const TreeExpectation& after);
  // The differences for a client whose process was replaced in the pass: the
  // instance element `closed`, whose elements were `idsBefore`, and `opened`.
  std::vector<std::string> CheckRestart(std::uint32_t closed, const std::map<std::uint32_t, std::uint32_t>& idsBefore,
                                        std::uint32_t opened);
  // Events that no Check() claimed, and events raised for a dead or detached element.
  std::vector<std::string> Leftovers() const;
  std::size_t EventCount() const { return total_; }

  // Runs after the audit's own bookkeeping, as a script handler would.
  std::function<void(const RecordingHost::FiredEvent&)> next;

 private:
  struct Event {
    std::uint32_t id;
    std::string text;  // "IconChanged(-1)"
    bool claimed = false;
  };

  // Claims the events of each id of `expected` and compares them with it.
  std::vector<std::string> Claim(const std::map<std::uint32_t, std::vector<std::string>>& expected,
                                 std::vector<std::string> problems);

  RecordingHost& host_;
  std::vector<Event> events_;
  std::vector<std::string> dead_;
  // Elements that raised leaving instance without a parent.
  std::set<std::uint32_t> detached_;
  std::size_t total_ = 0;
};
