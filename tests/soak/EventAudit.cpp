#include "tests/soak/EventAudit.h"

#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"

namespace {

using Sequence = std::vector<std::string>;

// The change events that taking `to` over `from` raises, in the order the
// element raises them.
void Changes(const TreeItemInfo& from, const TreeItemInfo& to, Sequence& out) {
  if (from.iconID != to.iconID)
    out.push_back("IconChanged(" + std::to_string(from.iconID) + ")");
  if (from.name != to.name)
    out.push_back("NameChanged");
  if (from.pronunciation != to.pronunciation)
    out.push_back("PronunciationChanged");
  if (from.comment != to.comment)
    out.push_back("CommentChanged");
  if (from.commentURL != to.commentURL)
    out.push_back("CommentURLChanged");
  if (from.rankID != to.rankID)
    out.push_back("RankIDChanged");
  if (from.rank != to.rank)
    out.push_back("RankChanged");
  if (from.flags != to.flags)
    out.push_back("FlagsChanged(" + std::to_string(static_cast<int>(from.flags)) + ")");
  if (from.displayText != to.displayText)
    out.push_back("DisplayTextChanged");
}

// The events of an element over the pass's meetings: from `values` under
// `parent`, or, for an element that arrives, from nothing.
Sequence Expected(bool arrives, TreeItemInfo values, std::uint32_t parent,
                  const std::vector<TreeExpectation::Visit>& visits) {
  Sequence out;
  for (const TreeExpectation::Visit& visit : visits) {
    Changes(values, visit.values, out);
    values = visit.values;
    if (arrives) {
      out.insert(out.end(), {"JoinedInstance", "JoinedParent"});
      arrives = false;
    } else if (visit.parent != parent) {
      out.insert(out.end(), {"LeavingParent", "JoinedParent"});
    }
    parent = visit.parent;
  }
  return out;
}

std::string Join(const Sequence& sequence) {
  std::string text;
  for (const std::string& each : sequence)
    text += (text.empty() ? "" : " ") + each;
  return "[" + text + "]";
}

}  // namespace

EventAudit::EventAudit(RecordingHost& host) : host_(host) {
  host_.onFire = [this](const RecordingHost::FiredEvent& event) {
    ++total_;
    const auto id = static_cast<std::uint32_t>(event.context.Data);
    std::string text = event.name.substr(event.name.rfind(".On") + 3);
    if (!event.args.empty())
      text += "(" + event.args[0] + ")";
    const VentriloElement* element = VentriloElement::FromID(id);
    if (!element)
      dead_.push_back(text + " for id " + std::to_string(id) + ", which is not alive");
    else if (text == "LeavingInstance" && !element->GetParent())
      detached_.insert(id);
    events_.push_back({id, text});
    if (next)
      next(event);
    return 0;
  };
}

EventAudit::~EventAudit() { host_.onFire = nullptr; }

void EventAudit::Begin() {
  events_.clear();
  dead_.clear();
  detached_.clear();
}

std::vector<std::string> EventAudit::Check(const VentriloInstance& instance, const TreeExpectation& before,
                                           const std::map<std::uint32_t, std::uint32_t>& idsBefore,
                                           const TreeExpectation& after) {
  static const std::vector<TreeExpectation::Visit> kNoVisits;
  const auto visitsOf = [&](std::uint32_t key) -> const std::vector<TreeExpectation::Visit>& {
    const auto found = after.visits.find(key);
    return found == after.visits.end() ? kNoVisits : found->second;
  };
  std::map<std::uint32_t, Sequence> expected;
  expected[instance.GetID()];
  if (before.online != after.online)
    expected[instance.GetID()].push_back(after.online ? "Online" : "Offline");
  std::vector<std::string> problems;
  const std::map<std::uint32_t, std::uint32_t> idsAfter = TreeExpectation::IdsByKey(instance);
  for (const auto& [key, id] : idsBefore) {
    const auto kept = idsAfter.find(key);
    const auto was = before.elements.find(key);
    if (kept == idsAfter.end() || was == before.elements.end()) {
      expected[id] = {"LeavingInstance", "LeavingParent"};
    } else if (kept->second != id) {
      problems.push_back("key " + std::to_string(key) + " changed id from " + std::to_string(id) + " to " +
                         std::to_string(kept->second));
      expected[id] = {"LeavingInstance", "LeavingParent"};
    } else {
      expected[id] = Expected(false, was->second.values, was->second.parent, visitsOf(key));
    }
  }
  for (const auto& [key, id] : idsAfter) {
    if (!idsBefore.contains(key) || idsBefore.at(key) != id)
      expected[id] = Expected(true, {}, 0, visitsOf(key));
  }
  return Claim(expected, std::move(problems));
}

std::vector<std::string> EventAudit::CheckRestart(std::uint32_t closed,
                                                  const std::map<std::uint32_t, std::uint32_t>& idsBefore,
                                                  std::uint32_t opened) {
  std::map<std::uint32_t, Sequence> expected{{closed, {"InstanceClosed"}}, {opened, {"InstanceOpened"}}};
  for (const auto& [key, id] : idsBefore)
    expected[id] = {"LeavingInstance", "LeavingParent"};
  return Claim(expected, {});
}

std::vector<std::string> EventAudit::Claim(const std::map<std::uint32_t, Sequence>& expected,
                                           std::vector<std::string> problems) {
  std::map<std::uint32_t, Sequence> raised;
  for (Event& event : events_) {
    if (!expected.contains(event.id))
      continue;
    event.claimed = true;
    raised[event.id].push_back(event.text);
  }
  for (const auto& [id, sequence] : expected) {
    if (raised[id] != sequence)
      problems.push_back("events of id " + std::to_string(id) + ": " + Join(raised[id]) + ", expected " +
                         Join(sequence));
  }
  return problems;
}

std::vector<std::string> EventAudit::Leftovers() const {
  std::vector<std::string> problems = dead_;
  for (const std::uint32_t id : detached_)
    problems.push_back("LeavingInstance for id " + std::to_string(id) + ", which is already detached from its parent");
  for (const Event& event : events_) {
    if (!event.claimed)
      problems.push_back(event.text + " for id " + std::to_string(event.id) + ", no element of a pass");
  }
  return problems;
}
