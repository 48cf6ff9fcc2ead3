#include "hostsdk/QSDeletableType.h"
#include "module/EventRegistry.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A registry over a recording host, with its own echo switch.
class EventRaising : public testing::Test {
 protected:
  void SetUp() override { registry.DeclareAll(&host); }

  int Raise(ScriptEvent event, const char* typeName, std::uint32_t id, const char* name, int previous = 0) {
    return registry.Raise(event, EventContext{ObjectRef{&contextType, id}, typeName, id, name}, previous);
  }

  RecordingHost host;
  EventRegistry registry;
  QSDeletableType<QSTypeDefinition> contextType{"ventrilouser"};
};

struct EchoCase {
  ScriptEvent event;
  const char* typeName;
  const char* expected;
};

const std::vector<EchoCase> kEchoCases = {
    {ScriptEvent::LeavingParent, "ventrilouser",
     "[Ventrilo.OnLeavingParent] Context(type)=ventrilouser Context.ID=12 Context.Name=\"Bob\""},
    {ScriptEvent::JoinedParent, "ventrilochannel",
     "[Ventrilo.OnJoinedParent] Context(type)=ventrilochannel Context.ID=12 Context.Name=\"Bob\""},
    {ScriptEvent::DisplayTextChanged, "ventrilouser",
     "[Ventrilo.OnDisplayTextChanged] Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::PronunciationChanged, "ventrilouser",
     "[Ventrilo.OnPronunciationChanged] Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::NameChanged, "ventriloserver",
     "[Ventrilo.OnNameChanged] Context(type)=ventriloserver Context.Name=\"Bob\""},
    {ScriptEvent::CommentChanged, "ventrilouser",
     "[Ventrilo.OnCommentChanged] Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::CommentURLChanged, "ventrilouser",
     "[Ventrilo.OnCommentURLChanged] Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::RankChanged, "ventrilouser",
     "[Ventrilo.OnRankChanged] Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::RankIDChanged, "ventrilouser",
     "[Ventrilo.OnRankIDChanged] Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::FlagsChanged, "ventrilouser",
     "[Ventrilo.OnFlagsChanged](3) Context(type)=ventrilouser Context.Name=\"Bob\""},
    {ScriptEvent::IconChanged, "ventrilouser",
     "[Ventrilo.OnIconChanged](3) Context(type)=ventrilouser Context.ID=12 Context.Name=\"Bob\""},
    {ScriptEvent::Online, "ventriloinstance", "[Ventrilo.OnOnline] Context(type)=ventriloinstance Context.ID=12"},
    {ScriptEvent::Offline, "ventriloinstance", "[Ventrilo.OnOffline] Context(type)=ventriloinstance Context.ID=12"},
    {ScriptEvent::LeavingInstance, "ventrilochannel",
     "[Ventrilo.OnLeavingInstance] Context(type)=ventrilochannel Context.Name=\"Bob\""},
    {ScriptEvent::LeavingInstance, "ventriloserver",
     "[Ventrilo.OnLeavingInstance] Context(type)=ventriloserver Context.Name=\"Bob\""},
    {ScriptEvent::LeavingInstance, "ventrilouser",
     "[Ventrilo.OnLeavingInstance] Context(type)=ventrilouser Context.ID=12 Context.Name=\"Bob\""},
    {ScriptEvent::JoinedInstance, "ventrilochannel",
     "[Ventrilo.OnJoinedInstance] Context(type)=ventrilochannel Context.Name=\"Bob\""},
    {ScriptEvent::JoinedInstance, "ventriloserver",
     "[Ventrilo.OnJoinedInstance] Context(type)=ventriloserver Context.Name=\"Bob\""},
    {ScriptEvent::JoinedInstance, "ventrilouser",
     "[Ventrilo.OnJoinedInstance] Context(type)=ventrilouser Context.ID=12 Context.Name=\"Bob\""},
    {ScriptEvent::InstanceOpened, "ventriloinstance",
     "[Ventrilo.OnInstanceOpened] Context(type)=ventriloinstance Context.ID=12"},
    {ScriptEvent::InstanceClosed, "ventriloinstance",
     "[Ventrilo.OnInstanceClosed] Context(type)=ventriloinstance Context.ID=12"},
};

}  // namespace

TEST_F(EventRaising, Declaration_AllSeventeenInOrder) {
  const std::vector<std::string> expected = {"Ventrilo.OnLeavingParent",
                                             "Ventrilo.OnJoinedParent",
                                             "Ventrilo.OnDisplayTextChanged",
                                             "Ventrilo.OnPronunciationChanged",
                                             "Ventrilo.OnNameChanged",
                                             "Ventrilo.OnCommentChanged",
                                             "Ventrilo.OnCommentURLChanged",
                                             "Ventrilo.OnRankChanged",
                                             "Ventrilo.OnRankIDChanged",
                                             "Ventrilo.OnFlagsChanged",
                                             "Ventrilo.OnIconChanged",
                                             "Ventrilo.OnOnline",
                                             "Ventrilo.OnOffline",
                                             "Ventrilo.OnLeavingInstance",
                                             "Ventrilo.OnJoinedInstance",
                                             "Ventrilo.OnInstanceOpened",
                                             "Ventrilo.OnInstanceClosed"};
  EXPECT_EQ(host.declaredEvents, expected);
  for (int i = 0; i < kScriptEventCount; ++i) {
    EXPECT_EQ(registry.GetID(static_cast<ScriptEvent>(i)), i);
    EXPECT_EQ(EventRegistry::GetName(static_cast<ScriptEvent>(i)), expected[static_cast<std::size_t>(i)]);
  }
}

TEST_F(EventRaising, Echo_OffWritesNothing) {
  EXPECT_FALSE(registry.IsEchoOn());
  for (const EchoCase& echo : kEchoCases)
    Raise(echo.event, echo.typeName, 12, "Bob", 3);
  EXPECT_TRUE(host.Console().empty());
  EXPECT_EQ(host.fired.size(), kEchoCases.size());
}

TEST_F(EventRaising, Echo_OnWritesEachEventsLineBeforeFiringIt) {
  registry.SetEcho(true);
  EXPECT_TRUE(registry.IsEchoOn());
  for (const EchoCase& echo : kEchoCases) {
    host.ClearRecords();
    Raise(echo.event, echo.typeName, 12, "Bob", 3);
    EXPECT_EQ(host.Console(), std::vector<std::string>{echo.expected});
    EXPECT_EQ(host.Calls(), (std::vector<std::string>{
                                "ConsoleWrite", std::string("FireEvent(") + EventRegistry::GetName(echo.event) + ")"}));
  }
  registry.SetEcho(false);
  host.ClearRecords();
  Raise(ScriptEvent::NameChanged, "ventrilouser", 12, "Bob");
  EXPECT_TRUE(host.Console().empty());
}

TEST_F(EventRaising, Arguments_OnlyFlagsAndIconCarryThePreviousValue) {
  for (int i = 0; i < kScriptEventCount; ++i)
    Raise(static_cast<ScriptEvent>(i), "ventrilouser", 9, "Bob", -3);
  ASSERT_EQ(host.fired.size(), static_cast<std::size_t>(kScriptEventCount));
  for (const RecordingHost::FiredEvent& event : host.fired) {
    const bool numeric = event.name == "Ventrilo.OnFlagsChanged" || event.name == "Ventrilo.OnIconChanged";
    EXPECT_EQ(event.nullArgs, !numeric) << event.name;
    EXPECT_EQ(event.args, numeric ? std::vector<std::string>{"-3"} : std::vector<std::string>{}) << event.name;
    EXPECT_EQ(event.context.Type, &contextType);
    EXPECT_EQ(event.context.Data, 9u);
  }
}

TEST(EventRaisingWithoutHost, RaisesNothing) {
  EventRegistry registry;
  registry.SetEcho(true);
  EXPECT_EQ(registry.GetID(ScriptEvent::Online), -1);
  EXPECT_EQ(registry.Raise(ScriptEvent::Online, EventContext{ObjectRef{nullptr, 1}, "", 1, ""}), 0);
  RecordingHost host;
  registry.DeclareAll(&host);
  registry.Detach();
  EXPECT_EQ(registry.Raise(ScriptEvent::Online, EventContext{ObjectRef{nullptr, 1}, "", 1, ""}), 0);
  EXPECT_TRUE(host.fired.empty());
  EXPECT_TRUE(host.Console().empty());
}
