// What scripts see when a client changes, hangs or fails in the middle of a
// capture: one table of faults, each with the moment it strikes and the events
// it may cause. A fault must never make an element leave and come back,
// change an element's id or lose its metadata, never leave memory behind
// but what a late answer may still write into, and never stall the module.
//
// The module runs without its polling thread; each cycle is one polling pass
// and one pulse on the test's thread, so a fault strikes exactly before the
// Nth message of a kind that the capture sends to the client. After the fault
// (and its healing, for faults that end) the cycles are counted until the
// element tree shows the client as a reader from outside sees it; two more
// cycles must then raise nothing.
#include "elements/InstanceList.h"
#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"
#include "libventrilo/IVentriloLocator.h"
#include "libventrilo/VentFailureBox.h"
#include "libventrilo/VentRemoteMemory.h"
#include "platform/sim/SimDesktop.h"
#include "tests/support/ClientProbe.h"
#include "standin/StandinClient.h"
#include "tests/support/ModuleFixture.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr unsigned kBoxTimeoutMs = 10000;
// Reported this long ago, a hang is past SMTO_ABORTIFHUNG's 5 s.
constexpr DWORD kLongHangMs = 6000;
// No fault may cost more cycles than this.
constexpr int kCycleLimit = 6;
// An address where no client has memory.
constexpr std::uint32_t kUnmapped = 0x7FFF0000u;
// The two buffers the module commits in a client.
constexpr std::uint64_t kBuffers = 2 * 4096;

standin::Entry Named(const std::string& name) {
  standin::Entry entry;
  entry.name = name;
  return entry;
}

// "Hall": "Ann" at its top; channel "Red" with "Bea" and "Cid"; channel
// "Blue" with sub-channel "Deep" holding "Dot". A capture of it sends, in
// order: WM_GETTEXT to each of its nine controls, then TVM_GETNEXTITEM for
// the caret and the root, and two TVM_GETITEMA per item in the order Hall,
// Ann, Red, Bea, Cid, Blue, Deep, Dot, with TVM_GETNEXTITEM in between:
//   TVM_GETITEMA    1-2 Hall, 3-4 Ann, 5-6 Red, 7-8 Bea, 9-10 Cid,
//                   11-12 Blue, 13-14 Deep, 15-16 Dot
//   TVM_GETNEXTITEM 3 after Hall, 4 after Ann, 5 into Red, 6 after Bea,
//                   7 after Cid, 8 after Red, 9 into Blue, 10 into Deep,
//                   11 after Dot, 12 after Deep, 13 after Blue
standin::Roster Roster() {
  standin::Roster roster;
  roster.server = Named("Hall");
  roster.users = {Named("Ann")};
  standin::Channel red{Named("Red"), {Named("Bea"), Named("Cid")}, {}};
  standin::Channel deep{Named("Deep"), {Named("Dot")}, {}};
  standin::Channel blue{Named("Blue"), {}, {deep}};
  roster.channels = {red, blue};
  roster.localUser = "Bea";
  return roster;
}

// Before the Nth message of this kind that the module sends to the client's
// windows, counted from the cycle the fault strikes in; message 0 strikes
// between two cycles.
struct Moment {
  UINT message = 0;
  int count = 0;
};

// The element events a fault may cause, counted over all its cycles.
struct Events {
  int joins = 0;    // "Ventrilo.OnJoinedInstance"
  int leaves = 0;   // "Ventrilo.OnLeavingInstance"
  int moves = 0;    // "Ventrilo.OnJoinedParent" of elements that were there before
  int online = 0;   // "Ventrilo.OnOnline"
  int offline = 0;  // "Ventrilo.OnOffline"
  int closed = 0;   // "Ventrilo.OnInstanceClosed"
  bool operator==(const Events&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Events& e) {
  return out << "joins " << e.joins << ", leaves " << e.leaves << ", moves " << e.moves << ", online " << e.online
             << ", offline " << e.offline << ", closed " << e.closed;
}

class FaultMatrix;

struct FaultCase {
  const char* name;
  // The fault strikes before the client's first snapshot instead of once
  // the tree is in place.
  bool atFirstContact;
  Moment moment;
  std::function<void(FaultMatrix&)> strike;
  // Ends a lasting fault after `faultCycles` cycles; null for a fault that
  // does not end (the client changed, or stays broken).
  std::function<void(FaultMatrix&)> heal;
  int faultCycles;
  Events events;
  // Bytes the module leaves committed in the client for good: the buffers a
  // timed-out request may still be answered into, unless a later request was
  // answered (the client then has answered the late one).
  std::uint64_t leftInClient;
  // A row whose mend lies elsewhere and has not landed yet: what is missing.
  const char* awaits = nullptr;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class FaultMatrix : public ModuleFixture, public testing::WithParamInterface<FaultCase> {
 public:
  FaultMatrix() { withPollingThread = false; }

  void SetUp() override {
    ModuleFixture::SetUp();
    ASSERT_TRUE(GetVentriloLocator(&locator_));
    client = std::make_unique<standin::StandinClient>(Roster());
    pid = client->ProcessId();
  }
  void TearDown() override {
    sim::SetMessageHook(nullptr);
    sim::HoldMessageBoxes(false);
    EXPECT_TRUE(VentFailureBox::AwaitClosed(kBoxTimeoutMs));
    client.reset();
    if (locator_)
      locator_->Release();
    ModuleFixture::TearDown();
  }

  // One polling pass and one pulse. A handler that throws ends the pulse.
  void Cycle() {
    module->PollOnce(locator_);
    try {
      module->Pulse();
    } catch (const std::runtime_error&) {
    }
  }

  // Item handle, record and text of one item as the client shows it.
  HTREEITEM Item(const std::string& name) const { return client->Item(name); }
  void SetRecordAddress(const std::string& name, std::uint32_t address) {
    SetRecordAddress(Item(name), address);
  }
  void SetRecordAddress(HTREEITEM item, std::uint32_t address) {
    const HWND tree = client->TreeView();
    sim::RunOnWindowThread(pid, [&] {
      sim::TreeItemData data;
      sim::TreeGet(tree, item, &data);
      data.lParam = address;
      sim::TreeSet(tree, item, data);
    });
  }
  HWND Control(const std::string& className) const {
    for (const auto& control : standin::ClientProbe::ReadControls(client->Window())) {
      if (control.className == className)
        return control.window;
    }
    return nullptr;
  }

  void Run(const FaultCase& c);
  RecordingHost& Host() { return *host; }
  // Shuts the module down and lets go of the locator: every client instance
  // then gives back what it holds in its client.
  void LetGo() {
    module->Shutdown();
    locator_->Release();
    locator_ = nullptr;
  }
  // Arms `strike` for the Nth message of `moment`'s kind to the client.
  void Arm(const Moment& moment, std::function<void()> strike);

  std::unique_ptr<standin::StandinClient> client;
  DWORD pid = 0;
  std::uint32_t serverRecord = 0;

 private:
  // Every element of the instance as "parent/name|display text|icon", sorted
  // (the server's parent is ""); empty without an instance.
  static std::vector<std::string> ElementPicture();
  // The same for what a reader from outside sees of the client now: the items
  // it can read whose parents it could read too.
  std::vector<std::string> ClientPicture() const;
  // Every element's id by item key, after tagging each with its key.
  static std::map<std::uint32_t, std::uint32_t> TagElements();
  Events Count(const std::set<std::uint32_t>& before) const;

  IVentriloLocator* locator_ = nullptr;
};

std::vector<std::string> FaultMatrix::ElementPicture() {
  std::vector<std::string> picture;
  VentriloInstance* instance = InstanceList::First();
  if (!instance)
    return picture;
  for (VentriloElement* e = instance->GetFirstChild(); e && e != instance; e = e->WalkNext()) {
    const std::string parent = e->GetParent() == instance ? "" : e->GetParent()->GetName();
    picture.push_back(parent + "/" + e->GetName() + "|" + e->GetDisplayText() + "|" + std::to_string(e->GetIconID()));
  }
  std::sort(picture.begin(), picture.end());
  return picture;
}

std::vector<std::string> FaultMatrix::ClientPicture() const {
  std::vector<std::string> picture;
  const HWND window = client->Window();
  if (!window || !IsWindow(client->TreeView()))
    return picture;
  const standin::ClientProbe probe(pid);
  const std::vector<standin::ClientProbe::Item> items = probe.ReadTree(client->TreeView());
  if (items.empty() || items.front().image == 14)
    return picture;
  // The server's items follow its root at the top level.
  std::map<HTREEITEM, std::string> names{{nullptr, items.front().name}};
  const HTREEITEM root = items.front().handle;
  for (const auto& item : items) {
    const auto parent = names.find(item.parent);
    if (parent == names.end())
      continue;
    names[item.handle] = item.name;
    picture.push_back((item.handle == root ? "" : parent->second) + "/" + item.name + "|" + item.text + "|" +
                      std::to_string(item.image));
  }
  std::sort(picture.begin(), picture.end());
  return picture;
}

std::map<std::uint32_t, std::uint32_t> FaultMatrix::TagElements() {
  std::map<std::uint32_t, std::uint32_t> ids;
  VentriloInstance* instance = InstanceList::First();
  for (VentriloElement* e = instance->GetFirstChild(); e && e != instance; e = e->WalkNext()) {
    e->SetMetadata("key", std::to_string(e->GetItemKey()));
    ids[e->GetItemKey()] = e->GetID();
  }
  return ids;
}

Events FaultMatrix::Count(const std::set<std::uint32_t>& before) const {
  Events events;
  for (const auto& fired : host->fired) {
    if (fired.name == "Ventrilo.OnJoinedInstance")
      ++events.joins;
    else if (fired.name == "Ventrilo.OnLeavingInstance")
      ++events.leaves;
    else if (fired.name == "Ventrilo.OnJoinedParent" && before.count(fired.context.Data) != 0)
      ++events.moves;
    else if (fired.name == "Ventrilo.OnOnline")
      ++events.online;
    else if (fired.name == "Ventrilo.OnOffline")
      ++events.offline;
    else if (fired.name == "Ventrilo.OnInstanceClosed")
      ++events.closed;
  }
  return events;
}

void FaultMatrix::Run(const FaultCase& c) {
  if (c.awaits)
    GTEST_SKIP() << c.awaits;
  serverRecord = client->Record("");
  std::map<std::uint32_t, std::uint32_t> idsByKey;
  if (!c.atFirstContact) {
    Cycle();
    Cycle();
    ASSERT_EQ(ElementPicture(), ClientPicture());
    idsByKey = TagElements();
  }
  std::set<std::uint32_t> idsBefore;
  for (const auto& [key, id] : idsByKey)
    idsBefore.insert(id);
  const std::uint64_t committed = sim::CommittedBytes(pid);
  host->fired.clear();

  Arm(c.moment, [&] { c.strike(*this); });
  for (int cycle = 0; cycle < c.faultCycles; ++cycle) {
    Cycle();
    sim::SetMessageHook(nullptr);
  }
  if (c.heal)
    c.heal(*this);

  int cycles = 0;
  std::vector<std::string> truth;
  do {
    Cycle();
    sim::SetMessageHook(nullptr);
    truth = ClientPicture();
  } while (ElementPicture() != truth && ++cycles < kCycleLimit);
  EXPECT_EQ(ElementPicture(), truth) << "not true after " << kCycleLimit << " cycles";
  // The cycles the fault cost until the tree was true again, counted from the
  // first cycle after the fault ended (1: that cycle made it true).
  std::cout << "[ fault    ] " << c.name << ": true again after " << c.faultCycles << " faulty + " << cycles + 1
            << " cycles\n";

  EXPECT_EQ(Count(idsBefore), c.events);
  host->fired.clear();
  Cycle();
  Cycle();
  EXPECT_EQ(host->FiredNames(), std::vector<std::string>{}) << "the tree settles";

  if (VentriloInstance* instance = InstanceList::First()) {
    for (VentriloElement* e = instance->GetFirstChild(); e && e != instance; e = e->WalkNext()) {
      const auto before = idsByKey.find(e->GetItemKey());
      if (before == idsByKey.end())
        continue;
      EXPECT_EQ(e->GetID(), before->second) << e->GetName() << " kept its element";
      const std::string* tag = e->GetMetadata("key");
      EXPECT_TRUE(tag != nullptr && *tag == std::to_string(e->GetItemKey())) << e->GetName() << " kept its metadata";
    }
  }
  EXPECT_TRUE(sim::AwaitModuleReferences(0, kBoxTimeoutMs)) << "every box thread let go of the module";
  LetGo();
  if (!sim::IsProcessAlive(pid))
    EXPECT_EQ(sim::OpenHandleCount(pid), 0);
  else if (c.atFirstContact)
    EXPECT_EQ(sim::CommittedBytes(pid), committed + c.leftInClient);
  else
    EXPECT_EQ(sim::CommittedBytes(pid) + kBuffers, committed + c.leftInClient) << "the buffers went back";
}

void FaultMatrix::Arm(const Moment& moment, std::function<void()> strike) {
  if (moment.message == 0) {
    strike();
    return;
  }
  auto sent = std::make_shared<int>(0);
  sim::SetMessageHook([this, moment, sent, strike](const sim::CallRecord& call) {
    DWORD owner = 0;
    GetWindowThreadProcessId(call.window, &owner);
    if (owner == pid && call.message == moment.message && ++*sent == moment.count)
      strike();
  });
}

void Remove(FaultMatrix& f, const char* name) { f.client->Remove(name); }

const Moment kBetweenCycles{};
constexpr UINT kItem = TVM_GETITEMA;
constexpr UINT kNext = TVM_GETNEXTITEM;

// One fault a row, as a table reads best.
// clang-format off
const FaultCase kFaults[] = {
    // ---- the client changes its tree under the walk
    {"user deleted between its two requests", false, {kItem, 8}, [](auto& f) { Remove(f, "Bea"); }, nullptr, 0,
     {.leaves = 1}, 0},
    {"user deleted before its first request", false, {kItem, 7}, [](auto& f) { Remove(f, "Bea"); }, nullptr, 0,
     {.leaves = 1}, 0},
    {"user deleted after it was read", false, {kNext, 6}, [](auto& f) { Remove(f, "Bea"); }, nullptr, 0,
     {.leaves = 1}, 0},
    {"last user deleted after it was read", false, {kNext, 11}, [](auto& f) { Remove(f, "Dot"); }, nullptr, 0,
     {.leaves = 1}, 0},
    {"channel deleted between its requests", false, {kItem, 6}, [](auto& f) { Remove(f, "Red"); }, nullptr, 0,
     {.leaves = 3}, 0},
    {"channel deleted while its users are read", false, {kItem, 9}, [](auto& f) { Remove(f, "Red"); }, nullptr, 0,
     {.leaves = 3}, 0},
    {"channel deleted after its subtree was read", false, {kNext, 8}, [](auto& f) { Remove(f, "Red"); }, nullptr,
     0, {.leaves = 3}, 0},
    {"user added where the walk has been", false, {kItem, 11},
     [](auto& f) { f.client->AddUser("Red", Named("Eve")); }, nullptr, 0, {.joins = 1}, 0},
    {"user added where the walk goes", false, {kItem, 5},
     [](auto& f) { f.client->AddUser("Deep", Named("Eve")); }, nullptr, 0, {.joins = 1}, 0},
    {"channel added mid-walk", false, {kNext, 9},
     [](auto& f) { f.client->AddChannel("", standin::Channel{Named("Green"), {Named("Gus")}, {}}); }, nullptr, 0,
     {.joins = 2}, 0},
    {"user moved to where the walk has been", false, {kItem, 11}, [](auto& f) { f.client->Move("Dot", "Red"); },
     nullptr, 0, {.moves = 1}, 0},
    {"user moved to where the walk goes", false, {kItem, 5}, [](auto& f) { f.client->Move("Ann", "Deep"); },
     nullptr, 0, {.moves = 1}, 0},
    {"user moved between its two requests", false, {kItem, 8}, [](auto& f) { f.client->Move("Bea", "Blue"); },
     nullptr, 0, {.moves = 1}, 0},
    {"channel moved to where the walk has been", false, {kItem, 11}, [](auto& f) { f.client->Move("Deep", "Red"); },
     nullptr, 0, {.moves = 1}, 0},
    // A moved user takes its own freed block back, so the handle the walk
    // holds names the same item under another parent; a moved channel's
    // items trade blocks, so the handles the walk holds name other items.
    // Bea is met under Red, then again at the end of the top level, which a
    // reader of the snapshot meets first (a parent's users before its channels).
    {"user read, then moved to where the walk goes, same handle", false, {kNext, 6},
     [](auto& f) { f.client->Move("Bea", ""); }, nullptr, 0, {.moves = 1}, 0},
    {"channel read, then moved to where the walk goes, handles traded", false, {kNext, 12},
     [](auto& f) { f.client->Move("Deep", ""); }, nullptr, 0, {.moves = 1}, 0},

    // ---- the client hangs
    {"long hang between cycles", false, kBetweenCycles,
     [](auto& f) { sim::SetHung(f.pid, true, kLongHangMs); }, [](auto& f) { sim::SetHung(f.pid, false); }, 3, {}, 0},
    {"fresh hang at a control's text", false, {WM_GETTEXT, 3}, [](auto& f) { sim::SetHung(f.pid, true); },
     [](auto& f) { sim::SetHung(f.pid, false); }, 1, {}, 0},
    {"fresh hang at an item request", false, {kItem, 8}, [](auto& f) { sim::SetHung(f.pid, true); },
     [](auto& f) { sim::SetHung(f.pid, false); }, 1, {}, 0},
    {"fresh hang at a walk step", false, {kNext, 6}, [](auto& f) { sim::SetHung(f.pid, true); },
     [](auto& f) { sim::SetHung(f.pid, false); }, 1, {}, 0},

    // ---- the client exits
    {"client exits at a control's text", false, {WM_GETTEXT, 4}, [](auto& f) { f.client->Exit(); }, nullptr, 0,
     {.leaves = 8, .closed = 1}, 0},
    {"client exits at the root", false, {kItem, 1}, [](auto& f) { f.client->Exit(); }, nullptr, 0,
     {.leaves = 8, .closed = 1}, 0},
    {"client exits mid-walk", false, {kItem, 8}, [](auto& f) { f.client->Exit(); }, nullptr, 0,
     {.leaves = 8, .closed = 1}, 0},
    {"client exits at the last step", false, {kNext, 13}, [](auto& f) { f.client->Exit(); }, nullptr, 0,
     {.leaves = 8, .closed = 1}, 0},
    // DestroyWindow takes the children first: for a cycle the main window
    // stands without its tree view, and the client is not taken offline.
    {"client closes, its tree view destroyed a cycle before its window", false, kBetweenCycles,
     [](auto& f) { sim::DestroyWindow(f.client->TreeView()); }, [](auto& f) { f.client->Exit(); }, 1,
     {.leaves = 8, .closed = 1}, 0},

    // ---- a control vanishes
    {"label destroyed before its text is read", false, {WM_GETTEXT, 1},
     [](auto& f) { sim::DestroyWindow(f.Control("Static")); }, nullptr, 0, {}, 0},
    {"tree view destroyed before its text is read", false, {WM_GETTEXT, 9},
     [](auto& f) { sim::DestroyWindow(f.client->TreeView()); }, nullptr, 0, {.leaves = 8, .offline = 1}, 0},

    // ---- records that cannot be read
    {"user record unreadable", false, kBetweenCycles, [](auto& f) { f.SetRecordAddress("Cid", kUnmapped); },
     nullptr, 0, {.leaves = 1}, 0},
    {"channel record unreadable", false, kBetweenCycles, [](auto& f) { f.SetRecordAddress("Blue", kUnmapped); },
     nullptr, 0, {.leaves = 3}, 0},
    {"disconnected, the root's record unreadable", false, kBetweenCycles,
     [](auto& f) {
       f.client->Disconnect();
       f.SetRecordAddress(standin::ClientProbe::Next(f.client->TreeView(), TVGN_ROOT), kUnmapped);
     },
     nullptr, 0, {.leaves = 8, .offline = 1}, 0},
    {"server record unreadable for three cycles", false, kBetweenCycles,
     [](auto& f) { f.SetRecordAddress("", kUnmapped); },
     [](auto& f) { f.SetRecordAddress("", f.serverRecord); }, 3, {}, 0},

    // ---- the client's memory or process cannot be had
    {"the buffers' region cannot be reserved at first contact", true, kBetweenCycles,
     [](auto&) { sim::FailVirtualAlloc(1); }, nullptr, 0, {.joins = 8, .online = 1}, 0},
    {"commit fails for two cycles after a timed-out request", false, {kItem, 4},
     [](auto& f) { sim::SetHung(f.pid, true); },
     [](auto& f) {
       sim::SetHung(f.pid, false);
       sim::FailVirtualAlloc(4);
     },
     1, {}, 0},
    {"OpenProcess refused for three cycles", true, kBetweenCycles,
     [](auto& f) { sim::SetOpenProcessRefused(f.pid, true); },
     [](auto& f) { sim::SetOpenProcessRefused(f.pid, false); }, 3, {.joins = 8, .online = 1}, 0},
    {"no thread for the failure box", false, {kItem, 8},
     [](auto& f) {
       sim::FailCreateThread(1);
       Remove(f, "Bea");
     },
     nullptr, 0, {.leaves = 1}, 0},

    // ---- script handlers fail during the pass
    {"handler error mid-pass", false, kBetweenCycles,
     [](auto& f) {
       f.Host().onFire = [](const RecordingHost::FiredEvent&) { return 1; };
       Remove(f, "Cid");
       f.client->AddUser("Blue", Named("Eve"));
     },
     nullptr, 0, {.joins = 1, .leaves = 1}, 0},
    {"handler throws mid-pass", false, kBetweenCycles,
     [](auto& f) {
       f.Host().onFire = [thrown = false](const RecordingHost::FiredEvent& event) mutable -> int {
         if (event.name == "Ventrilo.OnLeavingInstance" && !std::exchange(thrown, true))
           throw std::runtime_error("handler");
         return 0;
       };
       Remove(f, "Cid");
       f.client->AddUser("Blue", Named("Eve"));
     },
     nullptr, 0, {.joins = 1, .leaves = 1}, 0},
};
// clang-format on

TEST_P(FaultMatrix, KeepsTheTreeTrueWithoutChurn) { Run(GetParam()); }

std::string CaseName(const testing::TestParamInfo<FaultCase>& info) {
  std::string name;
  for (const char* at = info.param.name; *at != 0; ++at)
    name += std::isalnum(static_cast<unsigned char>(*at)) ? *at : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, testing::ValuesIn(kFaults), CaseName);

// A client that hangs while a request is out, and the module shuts down: the
// request is answered late, into buffers that are still committed and that
// nothing else uses.
using ShutdownWhileHung = FaultMatrix;

TEST_F(ShutdownWhileHung, TheLateAnswerLandsInTheAbandonedBuffers) {
  sim::StartRecording();
  Cycle();
  std::vector<std::uint32_t> buffers;
  for (const sim::CallRecord& call : sim::TakeRecords()) {
    if (call.call == sim::Call::AllocMemory && call.processId == pid && call.size == 4096)
      buffers.push_back(call.address);
  }
  sim::StopRecording();
  ASSERT_EQ(buffers.size(), 2u);
  const std::uint64_t committed = sim::CommittedBytes(pid);
  Arm({TVM_GETITEMA, 8}, [this] { sim::SetHung(pid, true); });
  Cycle();
  sim::SetMessageHook(nullptr);
  LetGo();
  EXPECT_EQ(sim::CommittedBytes(pid), committed);

  sim::SetHung(pid, false);
  TVITEMA late = {};
  ASSERT_TRUE(sim::Read(pid, buffers[0], &late, sizeof late));
  EXPECT_EQ(late.hItem, Item("Bea"));
  EXPECT_EQ(static_cast<std::uint32_t>(static_cast<LPARAM>(late.lParam)), client->Record("Bea"))
      << "answered late, into memory still committed";
}

// A client that fails one request of every capture for 100 cycles (given up
// at once as hung, so the cycles take no time; a request that times out at
// the bound abandons its pair the same way): each capture abandons its pair,
// and the next, answered, frees it again, so at most two pairs are committed.
// A client that answers no request at all uses up the region's pairs; then
// nothing more is committed and no capture is made until it answers again.
using SlowClient = FaultMatrix;

TEST_F(SlowClient, AbandonedPairsStayBounded) {
  Cycle();
  Cycle();
  const std::uint64_t committed = sim::CommittedBytes(pid);
  const auto failEveryCapture = [this](int request, int cycles) {
    std::uint64_t most = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
      Arm({TVM_GETITEMA, request}, [this] { sim::SetHung(pid, true, kLongHangMs); });
      Cycle();
      sim::SetMessageHook(nullptr);
      sim::SetHung(pid, false);
      most = std::max(most, sim::CommittedBytes(pid));
    }
    return most;
  };
  EXPECT_LE(failEveryCapture(8, 100), committed + kBuffers);
  EXPECT_LE(failEveryCapture(1, 12), committed - kBuffers + VentRemoteMemory::kRegionSize);

  host->fired.clear();
  client->AddUser("Red", Named("Eve"));
  Cycle();
  EXPECT_EQ(host->FiredNamed("Ventrilo.OnJoinedInstance").size(), 1u) << "read again once it answers";
  LetGo();
  EXPECT_EQ(sim::CommittedBytes(pid) + kBuffers, committed) << "the region went back";
}

// A client that loses a user in every cycle, while others join: a capture
// that misses something is held back for a cycle, but the next one, which
// confirms it, is handed over although it misses another user, so no change
// waits more than two cycles.
using ChurningClient = FaultMatrix;

TEST_F(ChurningClient, EveryLeaveAndJoinArrivesWithinTwoCycles) {
  Cycle();
  Cycle();
  host->fired.clear();
  const std::vector<std::string> leaving = {"Ann", "Bea", "Cid", "Dot"};
  for (std::size_t cycle = 0; cycle < leaving.size(); ++cycle) {
    client->Remove(leaving[cycle]);
    client->AddUser("Red", Named("New" + std::to_string(cycle)));
    Cycle();
    // What changed before this cycle has arrived.
    EXPECT_GE(host->FiredNamed("Ventrilo.OnLeavingInstance").size(), cycle) << "after cycle " << cycle;
    EXPECT_GE(host->FiredNamed("Ventrilo.OnJoinedInstance").size(), cycle) << "after cycle " << cycle;
  }
  Cycle();
  EXPECT_EQ(host->FiredNamed("Ventrilo.OnLeavingInstance").size(), leaving.size());
  EXPECT_EQ(host->FiredNamed("Ventrilo.OnJoinedInstance").size(), leaving.size());
}

// With the polling thread: Shutdown returns while a client hangs (the
// thread's request ends at its bound), every client is let go of, and the
// instance elements are discarded without an event.
using ShutdownWithThread = ModuleFixture;

TEST_F(ShutdownWithThread, ReturnsWhileAClientHangs) {
  standin::StandinClient client(Roster());
  ASSERT_TRUE(Settle());
  ASSERT_TRUE(Settle());
  ASSERT_EQ(host->FiredNamed("Ventrilo.OnOnline").size(), 1u);
  sim::SetHung(client.ProcessId(), true);
  host->fired.clear();
  module->Shutdown();
  EXPECT_FALSE(module->PollingThread().IsRunning());
  EXPECT_TRUE(host->fired.empty());
  EXPECT_EQ(sim::OpenHandleCount(client.ProcessId()), 0);
  sim::SetHung(client.ProcessId(), false);
}

}  // namespace
