// Fuzzes the apply of snapshots to an instance element: a sequence of up to
// eight hand-built snapshots (offline, disconnected, or a server with users
// and nested channels) whose items draw their keys from a dozen values, so
// that keys collide: the same key twice in one snapshot, under another parent
// or inside its own subtree, and a key that changes kind between snapshots or
// within one. After each apply the element tree is compared with a small
// model of the instance pass (TreeExpectation), and the events the apply
// raised with what the model's meetings call for (EventAudit).
//
// The model: offline (no server, or the server showing icon 14) empties the
// tree. Otherwise the server, then depth first each container's users and
// then its channels, in the order the snapshot gives them. An item whose key
// is unknown makes a new element under its parent; one whose key names an
// element of its kind updates it and moves it under its parent unless that
// parent lies inside the element's own subtree (then it stays, and a channel's
// subtree is not visited); one whose key names another kind is skipped with
// its subtree, and a server skipped so skips everything. A key met again in
// the same pass (of the same kind) changes nothing: the element is neither
// updated nor moved, and a channel's subtree is visited under the element
// where it stands. Elements not met are removed. Me and Selection name the
// elements of the local and selected items.
//
// The tree's own checker (CheckTree) must hold after every apply too, and
// every snapshot is applied twice: the second apply must raise nothing, but
// after an item whose key an element of another kind held (the first apply
// removes that element, the second makes the item's).
#include "elements/NextElementID.h"
#include "elements/VentriloInstance.h"
#include "fuzz/FuzzCheck.h"
#include "tests/support/HostedElements.h"
#include "tests/support/FakeSnapshot.h"
#include "tests/soak/EventAudit.h"
#include "tests/soak/TreeExpectation.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <set>

namespace {

using Kind = TreeExpectation::Kind;

constexpr const char* kNames[] = {"", "bob", "Bob", "BOB", "alice", "Zed", "bo", "Lobby"};
constexpr const char* kTexts[] = {"", "x", "brb", "http://guild.example/"};
constexpr int kIcons[] = {-1, 0, 1, 2, 3, 4, 13, 14, 15};

RecordingHost* host = nullptr;
EventAudit* audit = nullptr;
FakeClient* client = nullptr;

TreeItemInfo ValuesOf(ITreeItem* item) {
  TreeItemInfo values;
  values.displayText = item->GetDisplayText();
  values.iconID = item->GetIconID();
  values.name = item->GetName();
  values.pronunciation = item->GetPronunciation();
  values.comment = item->GetComment();
  values.commentURL = item->GetCommentURL();
  values.rankID = static_cast<std::uint16_t>(item->GetRankID());
  values.rank = item->GetRank();
  values.flags = item->GetFlags();
  return values;
}

ItemValues MakeValues(FuzzedDataProvider& input) {
  ItemValues values;
  values.key = input.ConsumeIntegralInRange<std::uint32_t>(1, 12);
  values.name = input.PickValueInArray(kNames);
  if (input.ConsumeBool())
    values.icon = input.PickValueInArray(kIcons);
  values.flags = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::uint32_t>();
  values.displayText = input.PickValueInArray(kTexts);
  values.rank = input.PickValueInArray(kTexts);
  values.rankID = input.ConsumeBool() ? 0 : input.ConsumeIntegralInRange<std::uint32_t>(0, 0x1FFFF);
  values.pronunciation = input.PickValueInArray(kTexts);
  values.comment = input.PickValueInArray(kTexts);
  values.commentURL = input.PickValueInArray(kTexts);
  return values;
}

// A snapshot as the input describes it; items are added under the server or
// under a channel added before.
void Build(FuzzedDataProvider& input, FakeSnapshot& snapshot) {
  const int link = input.ConsumeIntegralInRange(0, 9);
  if (link == 0)
    return;
  ItemValues serverValues = MakeValues(input);
  serverValues.icon = link == 1 ? 14 : input.PickValueInArray(kIcons);
  FakeServer* server = snapshot.SetServer(serverValues);
  std::vector<ITreeItem*> items{server};
  std::vector<FakeChannel*> channels;
  for (int count = input.ConsumeIntegralInRange(0, 16); count > 0; --count) {
    const std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, channels.size());
    const ItemValues values = MakeValues(input);
    if (input.ConsumeBool()) {
      FakeChannel* channel =
          at == 0 ? snapshot.AddChannel(server, values) : snapshot.AddChannel(channels[at - 1], values);
      channels.push_back(channel);
      items.push_back(channel);
    } else {
      items.push_back(at == 0 ? snapshot.AddUser(server, values) : snapshot.AddUser(channels[at - 1], values));
    }
  }
  if (input.ConsumeBool())
    snapshot.selected = items[input.ConsumeIntegralInRange<std::size_t>(0, items.size() - 1)];
  std::vector<IUser*> users;
  for (ITreeItem* item : items) {
    if (IUser* user = dynamic_cast<IUser*>(item))
      users.push_back(user);
  }
  if (!users.empty() && input.ConsumeBool())
    snapshot.localUser = users[input.ConsumeIntegralInRange<std::size_t>(0, users.size() - 1)];
}

// The instance pass as the model sees it; `elements` carries over from pass to pass.
class Model {
 public:
  TreeExpectation Apply(FakeSnapshot& snapshot) {
    TreeExpectation expected;
    if (!snapshot.server || snapshot.server->GetIconID() == 14) {
      elements_.clear();
      return expected;
    }
    expected.online = true;
    seen_.clear();
    visits_ = &expected.visits;
    if (Meet(snapshot.server, Kind::Server, 0))
      VisitChildren(snapshot.server, snapshot.server->GetRecordAddress());
    for (bool removed = true; removed;) {
      removed = false;
      std::erase_if(elements_, [&](const auto& entry) {
        const bool gone =
            !seen_.contains(entry.first) || (entry.second.parent != 0 && !elements_.contains(entry.second.parent));
        removed = removed || gone;
        return gone;
      });
    }
    expected.elements = elements_;
    const auto keyOf = [&](ITreeItem* item, bool userOnly) -> std::uint32_t {
      if (!item)
        return 0;
      const auto found = elements_.find(item->GetRecordAddress());
      return found == elements_.end() || (userOnly && found->second.kind != Kind::User) ? 0 : found->first;
    };
    expected.me = keyOf(snapshot.localUser, true);
    expected.selection = keyOf(snapshot.selected, false);
    return expected;
  }

 private:
  template <class Container>
  void VisitChildren(Container* container, std::uint32_t key) {
    for (IUser* user : container->users)
      Meet(user, Kind::User, key);
    for (IChannel* channel : container->channels) {
      if (Meet(channel, Kind::Channel, key))
        VisitChildren(static_cast<FakeChannel*>(channel), channel->GetRecordAddress());
    }
  }

  bool Within(std::uint32_t key, std::uint32_t ancestor) const {
    for (; key != 0; key = elements_.at(key).parent) {
      if (key == ancestor)
        return true;
    }
    return false;
  }

  // Meets one item under the element of `parent`; true when its children are to be visited.
  bool Meet(ITreeItem* item, Kind kind, std::uint32_t parent) {
    const std::uint32_t key = item->GetRecordAddress();
    const auto found = elements_.find(key);
    if (found != elements_.end() && found->second.kind != kind)
      return false;
    if (seen_.contains(key))
      return true;
    TreeExpectation::Element& element = elements_[key];
    const bool known = found != elements_.end();
    element.kind = kind;
    element.values = ValuesOf(item);
    seen_.insert(key);
    const bool stays = known && element.parent != parent && Within(parent, key);
    if (!stays)
      element.parent = parent;
    (*visits_)[key].push_back({element.values, element.parent});
    return !stays;
  }

  std::map<std::uint32_t, TreeExpectation::Element> elements_;
  std::set<std::uint32_t> seen_;
  std::map<std::uint32_t, std::vector<TreeExpectation::Visit>>* visits_ = nullptr;
};

// Whether an item of `snapshot` has a key that an element of another kind held.
bool HoldsOtherKind(const TreeExpectation& tree, FakeSnapshot& snapshot) {
  const auto other = [&](ITreeItem* item, Kind kind) {
    const auto found = tree.elements.find(item->GetRecordAddress());
    return found != tree.elements.end() && found->second.kind != kind;
  };
  if (!snapshot.server)
    return false;
  bool held = other(snapshot.server, Kind::Server);
  std::vector<FakeChannel*> channels;
  const auto visit = [&](auto* container) {
    for (IUser* user : container->users)
      held = held || other(user, Kind::User);
    for (IChannel* channel : container->channels) {
      held = held || other(channel, Kind::Channel);
      channels.push_back(static_cast<FakeChannel*>(channel));
    }
  };
  visit(snapshot.server);
  while (!channels.empty()) {
    FakeChannel* channel = channels.back();
    channels.pop_back();
    visit(channel);
  }
  return held;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += "\n  " + line;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host = new RecordingHost();
  new HostedElements(host);  // for the process's life
  audit = new EventAudit(*host);
  client = new FakeClient();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  VentriloInstance* instance = new VentriloInstance(NextElementID(), nullptr, client);
  Model model;
  TreeExpectation before;
  for (int step = input.ConsumeIntegralInRange(1, 8); step > 0 && input.remaining_bytes() > 0; --step) {
    FakeSnapshot snapshot;
    Build(input, snapshot);
    const auto idsBefore = TreeExpectation::IdsByKey(*instance);
    audit->Begin();
    instance->ApplySnapshot(&snapshot);
    TreeExpectation expected = model.Apply(snapshot);
    std::vector<std::string> problems = expected.Compare(*instance);
    for (std::string& problem : audit->Check(*instance, before, idsBefore, expected))
      problems.push_back(problem);
    for (std::string& problem : audit->Leftovers())
      problems.push_back(problem);
    if (!instance->CheckTree())
      problems.push_back("the tree's own checker fails");
    FuzzCheck(problems.empty(), "the apply agrees with the model", Lines(problems));
    // Except after an item whose key an element of another kind held: that
    // apply skipped the item and removed the element, the next one makes it.
    const bool keyOfOtherKind = HoldsOtherKind(before, snapshot);
    host->ClearRecords();
    instance->ApplySnapshot(&snapshot);
    FuzzCheck(keyOfOtherKind || host->fired.empty(), "applying the same snapshot again raises nothing",
              host->fired.empty() ? "" : host->fired.front().ToString());
    if (keyOfOtherKind)
      expected = model.Apply(snapshot);
    before = std::move(expected);
    host->ClearRecords();
  }
  audit->Begin();
  instance->Destroy();
  host->ClearRecords();
  return 0;
}
