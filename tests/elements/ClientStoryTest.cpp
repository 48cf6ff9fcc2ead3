// End to end: stand-in clients on the simulated desktop, the polling thread,
// the pulse and the element model, into the recording host. Each story checks
// the complete sequence of events it causes.
//
// Events are logged as "<event>[(<argument>)] <kind>:<name>", the name read
// when the event fires. Sibling items of one kind reach the elements in the order of
// the client's item objects in memory, so the rosters whose creation order is
// checked hold at most one user and one channel under each parent.
#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

#include "libventrilo/ClientIcons.h"
#include "elements/InstanceList.h"
#include "elements/VentriloInstance.h"
#include "elements/VentriloUser.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/ModuleFixture.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

standin::Entry Entry(const std::string& name) {
  standin::Entry entry;
  entry.name = name;
  return entry;
}

standin::Channel Channel(const std::string& name, std::initializer_list<std::string> users,
                         std::vector<standin::Channel> channels = {}) {
  standin::Channel channel;
  channel.entry = Entry(name);
  for (const std::string& user : users)
    channel.users.push_back(Entry(user));
  channel.channels = std::move(channels);
  return channel;
}

// Lobby: user Sam and channel Alpha; Alpha: user Ann and channel Deep; Deep:
// user Xena. Ann is the local user.
standin::Roster StoryRoster() {
  standin::Roster roster;
  roster.server.name = "Lobby";
  roster.users.push_back(Entry("Sam"));
  roster.channels.push_back(Channel("Alpha", {"Ann"}, {Channel("Deep", {"Xena"})}));
  roster.localUser = "Ann";
  return roster;
}

// What a new element ("User:Ann") with only a name, and so a display text,
// raises. Its icon changes first, before it has a name.
std::vector<std::string> Arrival(const std::string& element) {
  return {"IconChanged(-1) " + element.substr(0, element.find(':') + 1), "NameChanged " + element,
          "DisplayTextChanged " + element, "JoinedInstance " + element, "JoinedParent " + element};
}

std::vector<std::string> Arrivals(std::initializer_list<std::string> elements) {
  std::vector<std::string> all;
  for (const std::string& element : elements) {
    const std::vector<std::string> one = Arrival(element);
    all.insert(all.end(), one.begin(), one.end());
  }
  return all;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<std::string> kStoryArrival =
    Concat({"Online Instance:"},
           Arrivals({"Server:Lobby", "User:Sam", "Channel:Alpha", "User:Ann", "Channel:Deep", "User:Xena"}));

// The messages sent to `window` that select an item or press a key.
std::vector<std::string> TreeViewCommands(HWND window) {
  std::vector<std::string> commands;
  for (const sim::CallRecord& record : sim::TakeRecords()) {
    if (record.call != sim::Call::SendMessage || record.window != window)
      continue;
    if (record.message == TVM_SELECTITEM)
      commands.push_back("select " + std::to_string(record.wParam) + " " + std::to_string(record.lParam));
    else if (record.message == WM_KEYDOWN || record.message == WM_KEYUP)
      commands.push_back((record.message == WM_KEYDOWN ? "keydown " : "keyup ") + std::to_string(record.wParam) + " " +
                         std::to_string(record.lParam));
  }
  return commands;
}

std::string SelectCommand(HTREEITEM item) {
  return "select " + std::to_string(TVGN_CARET) + " " + std::to_string(reinterpret_cast<LPARAM>(item));
}

}  // namespace

class ClientStory : public ModuleFixture {
 protected:
  void SetUp() override {
    ModuleFixture::SetUp();
    host->onFire = [this](const RecordingHost::FiredEvent& event) {
      events.push_back(Describe(event));
      if (onEvent)
        onEvent(event);
      return 0;
    };
  }
  void TearDown() override {
    onEvent = nullptr;
    ModuleFixture::TearDown();
    EXPECT_EQ(VentriloElement::LiveCount(), 0u);
  }

  // Settles the module and returns the events of that pulse.
  std::vector<std::string> Pulse() {
    events.clear();
    Settle();
    return events;
  }

  // Opens the client's instance and applies its first snapshot.
  VentriloInstance* Connect() {
    Settle();
    Settle();
    events.clear();
    return InstanceList::First();
  }

  // The element of `instance`'s tree with that name.
  static VentriloElement* Named(const VentriloInstance* instance, const std::string& name) {
    for (VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext()) {
      if (e->GetName() == name)
        return e;
    }
    return nullptr;
  }

  static std::vector<std::string> Children(const VentriloElement* parent) {
    std::vector<std::string> names;
    for (const VentriloElement* child = parent->GetFirstChild(); child; child = child->GetNext())
      names.push_back(child->GetName());
    return names;
  }

  // Checks on the way that the context's script type is the element's own.
  static std::string Describe(const RecordingHost::FiredEvent& event) {
    const VentriloElement* element = VentriloElement::FromID(static_cast<std::uint32_t>(event.context.Data));
    if (!element)
      return event.name + " <gone>";
    std::string kind = element->GetTypeName();
    std::string scriptType = "ventrilo" + kind;
    std::transform(scriptType.begin(), scriptType.end(), scriptType.begin(), ::tolower);
    EXPECT_EQ(event.typeName, scriptType) << event.name;
    std::string text = event.name.substr(event.name.rfind(".On") + 3);
    if (!event.args.empty())
      text += "(" + event.args[0] + ")";
    return text + " " + kind + ":" + element->GetName();
  }

  std::vector<std::string> events;
  std::function<void(const RecordingHost::FiredEvent&)> onEvent;
};

TEST_F(ClientStory, Appearing_OpensThenBuildsTheTreeParentsFirstAndThenRestsQuiet) {
  standin::StandinClient client(StoryRoster());
  EXPECT_THAT(Pulse(), ElementsAre("InstanceOpened Instance:"));
  EXPECT_EQ(Pulse(), kStoryArrival);
  EXPECT_THAT(Pulse(), IsEmpty());
  VentriloInstance* instance = InstanceList::First();
  EXPECT_EQ(instance->GetMe(), Named(instance, "Ann"));
  EXPECT_EQ(instance->GetTreeView(), client.TreeView());
}

TEST_F(ClientStory, Moving_KeepsTheElementAndItsMetadataAndFollowsTheNewHandle) {
  standin::Roster roster = StoryRoster();
  roster.channels[0].channels.clear();
  roster.channels.push_back(Channel("Beta", {"Bob", "zed"}));
  standin::StandinClient client(roster);
  VentriloInstance* instance = Connect();
  VentriloElement* ann = Named(instance, "Ann");
  const std::uint32_t id = ann->GetID();
  ann->SetMetadata("seat", "3");

  client.Move("Ann", "Beta");
  std::vector<std::string> parents;
  onEvent = [&](const RecordingHost::FiredEvent&) { parents.push_back(ann->GetParent()->GetName()); };
  EXPECT_THAT(Pulse(), ElementsAre("LeavingParent User:Ann", "JoinedParent User:Ann"));
  EXPECT_THAT(parents, ElementsAre("Alpha", "Beta"));
  EXPECT_EQ(Named(instance, "Ann"), ann);
  EXPECT_EQ(ann->GetID(), id);
  EXPECT_EQ(*ann->GetMetadata("seat"), "3");
  EXPECT_THAT(Children(Named(instance, "Beta")), ElementsAre("Ann", "Bob", "zed"));

  // The client re-inserted the item: selecting it must name its handle now.
  sim::StartRecording();
  EXPECT_TRUE(instance->Select(ann));
  EXPECT_THAT(TreeViewCommands(client.TreeView()), ElementsAre(SelectCommand(client.Item("Ann"))));
  sim::StopRecording();
  EXPECT_THAT(Pulse(), IsEmpty());
  EXPECT_TRUE(instance->IsSelected(ann));
}

TEST_F(ClientStory, Leaving_IsPrunedAfterTheArrivalsAndAChannelGoesTopDown) {
  standin::StandinClient client(StoryRoster());
  VentriloInstance* instance = Connect();
  client.Remove("Sam");
  client.AddUser("Deep", Entry("Neo"));
  EXPECT_EQ(Pulse(), Concat(Arrival("User:Neo"), {"LeavingInstance User:Sam", "LeavingParent User:Sam"}));

  client.Remove("Alpha");
  EXPECT_THAT(Pulse(), ElementsAre("LeavingInstance Channel:Alpha", "LeavingInstance User:Ann",
                                   "LeavingParent User:Ann", "LeavingInstance Channel:Deep", "LeavingInstance User:Neo",
                                   "LeavingParent User:Neo", "LeavingInstance User:Xena", "LeavingParent User:Xena",
                                   "LeavingParent Channel:Deep", "LeavingParent Channel:Alpha"));
  EXPECT_EQ(instance->GetMe(), nullptr);
  EXPECT_THAT(Children(Named(instance, "Lobby")), IsEmpty());
}

TEST_F(ClientStory, AttributeChanges_RaiseOneEventEachWithTheNewValueInPlace) {
  standin::StandinClient client(StoryRoster());
  VentriloInstance* instance = Connect();
  VentriloElement* sam = Named(instance, "Sam");
  std::vector<std::uint32_t> flagsSeen;
  onEvent = [&](const RecordingHost::FiredEvent& event) {
    if (event.name == "Ventrilo.OnFlagsChanged")
      flagsSeen.push_back(sam->GetFlags());
  };

  client.SetFlags("Sam", "A");
  EXPECT_THAT(Pulse(), ElementsAre("FlagsChanged(0) User:Sam", "DisplayTextChanged User:Sam"));
  const std::uint32_t admin = sam->GetFlags();
  EXPECT_NE(admin, 0u);
  client.SetFlags("Sam", "AM");
  EXPECT_THAT(Pulse(),
              ElementsAre("FlagsChanged(" + std::to_string(admin) + ") User:Sam", "DisplayTextChanged User:Sam"));
  EXPECT_THAT(flagsSeen, ElementsAre(admin, sam->GetFlags()));

  client.SetRank("Sam", "Officer", 3);
  EXPECT_THAT(Pulse(), ElementsAre("RankIDChanged User:Sam", "RankChanged User:Sam", "DisplayTextChanged User:Sam"));
  EXPECT_EQ(sam->GetRank(), "Officer");
  EXPECT_EQ(sam->GetRankID(), 3);

  client.Rename("Sam", "Samuel");
  EXPECT_THAT(Pulse(), ElementsAre("NameChanged User:Samuel", "DisplayTextChanged User:Samuel"));

  client.SetComment("Samuel", "back soon", "http://example.invalid/");
  client.SetPronunciation("Samuel", "sam you well");
  EXPECT_THAT(Pulse(), ElementsAre("PronunciationChanged User:Samuel", "CommentChanged User:Samuel",
                                   "CommentURLChanged User:Samuel"));
  client.SetIcon("Samuel", 3);
  EXPECT_THAT(Pulse(), ElementsAre("IconChanged(2) User:Samuel"));
  EXPECT_STREQ(IconName(sam->GetIconID()), "voiceon.ico");
}

TEST_F(ClientStory, Disconnecting_EmptiesTheTreeThenGoesOfflineAndReconnectsWithNewElements) {
  standin::StandinClient client(StoryRoster());
  client.Select("Alpha");
  VentriloInstance* instance = Connect();
  const std::uint32_t oldAnn = Named(instance, "Ann")->GetID();
  ASSERT_NE(instance->GetSelection(), nullptr);
  const std::vector<std::string> leaving = {"LeavingInstance Server:Lobby",
                                            "LeavingInstance Channel:Alpha",
                                            "LeavingInstance User:Ann",
                                            "LeavingParent User:Ann",
                                            "LeavingInstance Channel:Deep",
                                            "LeavingInstance User:Xena",
                                            "LeavingParent User:Xena",
                                            "LeavingParent Channel:Deep",
                                            "LeavingParent Channel:Alpha",
                                            "LeavingInstance User:Sam",
                                            "LeavingParent User:Sam",
                                            "LeavingParent Server:Lobby",
                                            "Offline Instance:"};

  client.Disconnect();
  EXPECT_EQ(Pulse(), leaving);
  EXPECT_EQ(instance->GetMe(), nullptr);
  EXPECT_EQ(instance->GetSelection(), nullptr);
  EXPECT_FALSE(instance->IsOnline());
  EXPECT_THAT(Pulse(), IsEmpty());

  client.Reconnect();
  EXPECT_EQ(Pulse(), kStoryArrival);
  EXPECT_GT(Named(instance, "Ann")->GetID(), oldAnn);
  EXPECT_EQ(VentriloElement::FromID(oldAnn), nullptr);
  EXPECT_EQ(instance->GetMe(), Named(instance, "Ann"));

  // A client with no tree at all counts as offline too.
  client.ClearTree();
  EXPECT_EQ(Pulse(), leaving);
}

TEST_F(ClientStory, MoveWithRenameThenALeaveThenClosing_RaiseEveryEventInOrder) {
  auto client = std::make_unique<standin::StandinClient>(StoryRoster());
  VentriloInstance* instance = Connect();
  VentriloElement* sam = Named(instance, "Sam");

  // One pass: Sam moves into Alpha under a new name, and Xena leaves. The
  // attribute changes come first, then the move, then the pruning.
  client->Move("Sam", "Alpha");
  client->Rename("Sam", "Bo");
  client->Remove("Xena");
  EXPECT_THAT(Pulse(), ElementsAre("NameChanged User:Bo", "DisplayTextChanged User:Bo", "LeavingParent User:Bo",
                                   "JoinedParent User:Bo", "LeavingInstance User:Xena", "LeavingParent User:Xena"));
  EXPECT_EQ(Named(instance, "Bo"), sam);
  // Placed by the name it has now: as Sam it would have come after Deep.
  EXPECT_THAT(Children(Named(instance, "Alpha")), ElementsAre("Ann", "Bo", "Deep"));

  // Every element leaves with its parent still in place.
  std::vector<std::string> parents;
  onEvent = [&](const RecordingHost::FiredEvent& event) {
    if (event.name != "Ventrilo.OnLeavingInstance")
      return;
    const VentriloElement* parent =
        VentriloElement::FromID(static_cast<std::uint32_t>(event.context.Data))->GetParent();
    parents.push_back(parent ? std::string(parent->GetTypeName()) + ":" + parent->GetName() : "none");
  };
  client->Exit();
  EXPECT_THAT(Pulse(),
              ElementsAre("InstanceClosed Instance:", "LeavingInstance Server:Lobby", "LeavingInstance Channel:Alpha",
                          "LeavingInstance User:Ann", "LeavingParent User:Ann", "LeavingInstance User:Bo",
                          "LeavingParent User:Bo", "LeavingInstance Channel:Deep", "LeavingParent Channel:Deep",
                          "LeavingParent Channel:Alpha", "LeavingParent Server:Lobby"));
  EXPECT_THAT(parents, ElementsAre("Instance:", "Server:Lobby", "Channel:Alpha", "Channel:Alpha", "Channel:Alpha"));
  const auto opened = host->FiredNamed("Ventrilo.OnInstanceOpened");
  const auto closed = host->FiredNamed("Ventrilo.OnInstanceClosed");
  ASSERT_EQ(opened.size(), 1u);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(opened[0].context.Data, closed[0].context.Data);
  EXPECT_EQ(InstanceList::First(), nullptr);
}

TEST_F(ClientStory, TwoClients_EachGetTheirOwnBlockOfEvents) {
  standin::StandinClient first(StoryRoster());
  standin::Roster otherRoster = StoryRoster();
  otherRoster.server.name = "Annex";
  standin::StandinClient second(otherRoster);
  EXPECT_THAT(Pulse(), ElementsAre("InstanceOpened Instance:", "InstanceOpened Instance:"));
  const std::vector<std::string> both = Pulse();
  std::vector<std::string> annex = kStoryArrival;
  for (const char* event : {"NameChanged ", "DisplayTextChanged ", "JoinedInstance ", "JoinedParent "})
    std::replace(annex.begin(), annex.end(), event + std::string("Server:Lobby"), event + std::string("Server:Annex"));
  EXPECT_TRUE(both == Concat(kStoryArrival, annex) || both == Concat(annex, kStoryArrival));

  first.SetIcon("Ann", 3);
  second.Remove("Sam");
  const std::vector<std::string> changes = Pulse();
  EXPECT_THAT(changes, testing::UnorderedElementsAre("IconChanged(2) User:Ann", "LeavingInstance User:Sam",
                                                     "LeavingParent User:Sam"));

  // Of two tables handed over between pulses only the newer counts: a name
  // changed and changed back raises nothing.
  second.Rename("Ann", "Anne");
  ASSERT_TRUE(module->AwaitHandOver(module->HandOverCount() + 2, 10000));
  second.Rename("Anne", "Ann");
  EXPECT_THAT(Pulse(), IsEmpty());
}

TEST_F(ClientStory, SelectAndJoin_SendTheClientsOwnMessagesAndTheClientMoves) {
  standin::Roster roster = StoryRoster();
  roster.channels.push_back(Channel("Beta", {"Bob"}));
  standin::StandinClient client(roster);
  VentriloInstance* instance = Connect();
  VentriloElement* beta = Named(instance, "Beta");
  VentriloElement* sam = Named(instance, "Sam");

  sim::StartRecording();
  EXPECT_FALSE(instance->Select(instance));
  EXPECT_TRUE(instance->Select(sam));
  EXPECT_THAT(TreeViewCommands(client.TreeView()), ElementsAre(SelectCommand(client.Item("Sam"))));
  EXPECT_THAT(Pulse(), IsEmpty());
  EXPECT_EQ(instance->GetSelection(), sam);

  EXPECT_TRUE(instance->Join(beta));
  const std::string enter = std::to_string(VK_RETURN) + " 0";
  EXPECT_THAT(TreeViewCommands(client.TreeView()),
              ElementsAre(SelectCommand(client.Item("Beta")), "keydown " + enter, "keyup " + enter));
  EXPECT_EQ(client.ChannelOf("Ann"), "Beta");
  EXPECT_THAT(Pulse(), ElementsAre("LeavingParent User:Ann", "JoinedParent User:Ann"));
  EXPECT_EQ(instance->GetMe()->GetParent(), beta);
  EXPECT_EQ(instance->GetSelection(), beta);

  // A refused selection sends no key; so does a client that stopped answering.
  sim::FailMessage(client.TreeView(), TVM_SELECTITEM, 1);
  EXPECT_FALSE(instance->Join(Named(instance, "Alpha")));
  sim::SetHung(client.ProcessId(), true, 6000);
  EXPECT_FALSE(instance->Join(Named(instance, "Alpha")));
  sim::SetHung(client.ProcessId(), false);
  EXPECT_THAT(TreeViewCommands(client.TreeView()),
              ElementsAre(SelectCommand(client.Item("Alpha")), SelectCommand(client.Item("Alpha"))));
  sim::StopRecording();
  EXPECT_EQ(client.ChannelOf("Ann"), "Beta");
}
