// A long random walk of one client's roster on the simulated desktop: users
// join, leave, move and are renamed, channels come, go and move with their
// subtrees, the client disconnects and reconnects, exits and starts again, and
// now and then a handler throws. The test runs each polling cycle itself, after
// one to six such steps, and pulses after it; after every pass the element tree must be sound (the
// instance's own checker), must show exactly the client's roster, and the
// events must tell a consistent story: every element arrives once and leaves
// once, and leaves while it is still in its parent's children.
//
// CHORISTER_WALK_STEPS sets the number of steps (default 100000), for a longer
// run; CHORISTER_WALK_SEED the random seed of the walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "elements/VentriloInstance.h"
#include "elements/VentriloUser.h"
#include "libventrilo/IVentriloLocator.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/ModuleFixture.h"

namespace {

unsigned long Setting(const char* name, unsigned long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

// The roster as the walk has made it: what the client must be showing.
struct Node {
  std::string name;  // "" for the server
  bool channel = false;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;

  bool Contains(const Node* other) const {
    for (; other; other = other->parent) {
      if (other == this)
        return true;
    }
    return false;
  }
};

class RosterWalk : public ModuleFixture {
 protected:
  RosterWalk() { withPollingThread = false; }

  void SetUp() override {
    ModuleFixture::SetUp();
    ASSERT_TRUE(GetVentriloLocator(&locator));
    host->onFire = [this](const RecordingHost::FiredEvent& event) { return Observe(event); };
    root.name = "";
    for (int i = 0; i < 3; ++i)
      Add(&root, true);
    for (int i = 0; i < 8; ++i)
      Add(AnyPlace(), false);
    localUser = Any(false)->name;
    Start();
  }

  void TearDown() override {
    host->onFire = nullptr;
    client.reset();
    locator->Release();
    ModuleFixture::TearDown();
    EXPECT_EQ(VentriloElement::LiveCount(), 0u);
  }

  // ---- the roster
  std::string NewName() {
    static const char* const kStems[] = {"ann", "Ann", "BOB", "bob", "c", "Zed", "_x", "m\xE9", "Lou"};
    std::uniform_int_distribution<std::size_t> stem(0, std::size(kStems) - 1);
    return kStems[stem(random)] + std::to_string(serial++);
  }

  Node* Add(Node* parent, bool channel) {
    auto node = std::make_unique<Node>();
    node->name = NewName();
    node->channel = channel;
    node->parent = parent;
    parent->children.push_back(std::move(node));
    return parent->children.back().get();
  }

  std::unique_ptr<Node> Take(Node* node) {
    auto& siblings = node->parent->children;
    const auto at = std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; });
    std::unique_ptr<Node> taken = std::move(*at);
    siblings.erase(at);
    return taken;
  }

  void Collect(Node* node, std::vector<Node*>* all) {
    all->push_back(node);
    for (const auto& child : node->children)
      Collect(child.get(), all);
  }

  std::vector<Node*> Nodes(bool channels) {
    std::vector<Node*> all;
    Collect(&root, &all);
    std::erase_if(all, [&](const Node* n) { return n == &root || n->channel != channels; });
    return all;
  }

  // A random user or channel, null when there is none.
  Node* Any(bool channel) {
    const std::vector<Node*> nodes = Nodes(channel);
    if (nodes.empty())
      return nullptr;
    return nodes[std::uniform_int_distribution<std::size_t>(0, nodes.size() - 1)(random)];
  }
  // A random place for a user or channel: the server or a channel.
  Node* AnyPlace() {
    Node* channel = Any(true);
    return channel && std::uniform_int_distribution<int>(0, 4)(random) != 0 ? channel : &root;
  }

  static standin::Entry Entry(const std::string& name) {
    standin::Entry entry;
    entry.name = name;
    return entry;
  }

  standin::Channel ToChannel(const Node& node) {
    standin::Channel channel;
    channel.entry.name = node.name;
    for (const auto& child : node.children) {
      if (child->channel)
        channel.channels.push_back(ToChannel(*child));
      else
        channel.users.push_back(Entry(child->name));
    }
    return channel;
  }

  // A new client process showing the roster as it is.
  void Start() {
    client.reset();
    standin::Channel top = ToChannel(root);
    standin::Roster roster;
    roster.server.name = "Lobby";
    roster.users = std::move(top.users);
    roster.channels = std::move(top.channels);
    roster.localUser = localUser;
    client = std::make_unique<standin::StandinClient>(roster);
  }

  // ---- one step: a change of the roster, as the client shows it next
  void Step() {
    const std::size_t users = Nodes(false).size();
    const std::size_t channels = Nodes(true).size();
    const int roll = std::uniform_int_distribution<int>(0, 99)(random);
    const bool coin = std::uniform_int_distribution<int>(0, 1)(random) == 0;
    if (roll < 20) {
      if (users < (coin ? 10u : 20u))
        Join(AnyPlace());
      else
        Leave(Any(false));
    } else if (roll < 36) {
      if (users > 4)
        Leave(Any(false));
      else
        Join(AnyPlace());
    } else if (roll < 56) {
      Move(coin || channels == 0 ? Any(false) : Any(true));
    } else if (roll < 76) {
      Rename(coin || channels == 0 ? Any(false) : Any(true));
    } else if (roll < 82) {
      if (channels < 6) {
        Node* channel = Add(AnyPlace(), true);
        standin::Channel shown;
        shown.entry.name = channel->name;
        client->AddChannel(channel->parent->name, shown);
      }
    } else if (roll < 86) {
      if (channels > 2)
        Leave(Any(true));
    } else if (roll < 92) {
      client->Select(Any(coin || channels == 0 ? false : true)->name);
    } else if (roll < 97) {
      client->SetIcon(Any(false)->name, coin ? 2 : 3);
    } else if (roll < 99) {
      // Offline for one pass; the reconnected roster has new records.
      client->Disconnect();
      Pass();
      client->Reconnect();
    } else {
      Start();
    }
  }

  void Join(Node* place) { client->AddUser(place->name, Entry(Add(place, false)->name)); }

  // The local user never leaves, nor does a channel holding it.
  void Leave(Node* node) {
    if (node->Contains(Find(localUser)))
      return;
    client->Remove(node->name);
    Take(node);
  }

  void Move(Node* node) {
    Node* target = AnyPlace();
    if (node->parent == target || node->Contains(target))
      return;
    client->Move(node->name, target->name);
    std::unique_ptr<Node> moved = Take(node);
    moved->parent = target;
    target->children.push_back(std::move(moved));
  }

  void Rename(Node* node) {
    const std::string name = NewName();
    client->Rename(node->name, name);
    if (node->name == localUser) {
      localUser = name;
      client->SetLocalUser(name);
    }
    node->name = name;
  }

  Node* Find(const std::string& name) {
    std::vector<Node*> all;
    Collect(&root, &all);
    const auto found = std::find_if(all.begin(), all.end(), [&](const Node* n) { return n->name == name; });
    return found == all.end() ? nullptr : *found;
  }

  // ---- a pass and what must hold after it
  // Two polls, as a capture that removes elements is handed over once the
  // next one agrees.
  void Pass() {
    module->PollOnce(locator);
    module->PollOnce(locator);
    module->Pulse();
    ++passes;
    host->ClearRecords();
  }

  // "<kind>:<name> in <parent name>" for every element, sorted.
  static std::vector<std::string> Shown(const VentriloInstance* instance) {
    std::vector<std::string> shown;
    for (const VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext()) {
      const bool server = e->GetParent() == instance;
      const bool top = server || e->GetParent()->GetParent() == instance;
      shown.push_back(std::string(e->GetTypeName()) + ":" + (server ? "" : e->GetName()) + " in " +
                      (top ? "" : e->GetParent()->GetName()));
    }
    std::sort(shown.begin(), shown.end());
    return shown;
  }

  std::vector<std::string> Expected() {
    std::vector<Node*> all;
    Collect(&root, &all);
    std::vector<std::string> expected;
    for (const Node* n : all) {
      const char* kind = n == &root ? "Server" : n->channel ? "Channel" : "User";
      expected.push_back(std::string(kind) + ":" + n->name + " in " + (n->parent ? n->parent->name : ""));
    }
    std::sort(expected.begin(), expected.end());
    return expected;
  }

  // True when the pass left everything as it must be; reports the first fault.
  bool Sound() {
    VentriloInstance* instance = VentriloInstance::First();
    if (!instance || instance->GetNextInstance())
      return ADD_FAILURE() << "one instance expected", false;
    if (!instance->CheckTree())
      return ADD_FAILURE() << "the tree checker failed", false;
    if (!faults.empty())
      return ADD_FAILURE() << faults.front(), false;
    if (alive.size() + 1 != VentriloElement::LiveCount())
      return ADD_FAILURE() << alive.size() << " elements arrived and did not leave, but "
                           << VentriloElement::LiveCount() - 1 << " are alive",
             false;
    if (!instance->IsOnline())
      return true;
    if (Shown(instance) != Expected())
      return ADD_FAILURE() << "the tree does not show the client's roster", false;
    const VentriloElement* me = instance->GetMe();
    if (!me || me->GetName() != localUser)
      return ADD_FAILURE() << "Me is not the local user " << localUser, false;
    return true;
  }

  // What every raise must agree with; now and then the handler throws, as a
  // host may let a script's failure out of FireEvent.
  int Observe(const RecordingHost::FiredEvent& event) {
    const auto id = static_cast<std::uint32_t>(event.context.Data);
    const VentriloElement* element = VentriloElement::FromID(id);
    if (!element) {
      faults.push_back(event.name + " for an element that does not resolve");
    } else if (event.name == "Ventrilo.OnJoinedInstance") {
      if (!alive.insert(id).second)
        faults.push_back("arrived twice: " + element->GetName());
    } else if (event.name == "Ventrilo.OnLeavingInstance") {
      if (alive.erase(id) != 1)
        faults.push_back("left twice: " + element->GetName());
      const VentriloElement* parent = element->GetParent();
      bool listed = false;
      for (const VentriloElement* child = parent ? parent->GetFirstChild() : nullptr; child; child = child->GetNext())
        listed = listed || child == element;
      if (!listed)
        faults.push_back("left without its place: " + element->GetName());
    }
    if (std::uniform_int_distribution<int>(0, 49)(random) == 0)
      throw std::runtime_error("a script failed");
    return 0;
  }

  IVentriloLocator* locator = nullptr;
  std::mt19937 random{static_cast<std::mt19937::result_type>(Setting("CHORISTER_WALK_SEED", 14))};
  unsigned serial = 0;
  Node root;
  std::string localUser;
  std::unique_ptr<standin::StandinClient> client;
  std::set<std::uint32_t> alive;
  std::vector<std::string> faults;
  unsigned long passes = 0;
};

}  // namespace

TEST_F(RosterWalk, EveryPassLeavesASoundTreeShowingTheRoster) {
  const unsigned long steps = Setting("CHORISTER_WALK_STEPS", 100000);
  Pass();  // the instance opens
  // One to six changes a pass, as a client changes between two captures.
  std::uniform_int_distribution<int> changes(1, 6);
  for (unsigned long step = 0; step < steps;) {
    for (int n = changes(random); n > 0 && step < steps; --n, ++step)
      Step();
    Pass();
    ASSERT_TRUE(Sound()) << "after step " << step << " (pass " << passes << ")";
  }
}
