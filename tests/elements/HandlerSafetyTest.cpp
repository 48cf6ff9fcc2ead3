// Event handlers run in the middle of a pass, while elements are being made,
// moved and destroyed. These handlers do what scripts do: read, walk, search,
// select, join, write metadata, and keep element ids for later.
#include <gmock/gmock.h>

#include <set>
#include <stdexcept>

#include "elements/VentriloUser.h"
#include "platform/sim/SimDesktop.h"
#include "tests/elements/ElementFixture.h"

class HandlersMidPass : public SnapshotPass {
 protected:
  void SetUp() override {
    sim::ResetDesktop();
    SnapshotPass::SetUp();
    // A real tree view, so that Select and Join reach a window.
    const DWORD process = sim::CreateProcess("client");
    snapshot.treeView = sim::CreateWindow(process, WC_TREEVIEWA, "");
    host.parseFilter = [](const char*) -> FilterHandle { return 1; };
    host.matchFilter = [](FilterHandle, ObjectRef* object, unsigned char* matched) {
      *matched = VentriloElement::FromID(static_cast<std::uint32_t>(object->Data)) == nullptr;
      return true;
    };
  }
  void TearDown() override {
    SnapshotPass::TearDown();
    sim::ResetDesktop();
  }
};

TEST_F(HandlersMidPass, ScriptsThatReadWalkWriteAndSelect_RunThroughEveryKindOfPass) {
  std::set<std::uint32_t> kept;
  int handled = 0;
  onEvent = [&](const RecordingHost::FiredEvent& event) {
    ++handled;
    const auto id = static_cast<std::uint32_t>(event.context.Data);
    VentriloElement* element = VentriloElement::FromID(id);
    ASSERT_NE(element, nullptr) << event.name;
    kept.insert(id);
    element->SetMetadata("last", event.name);
    EXPECT_EQ(*element->GetMetadata("last"), event.name);
    std::size_t depth = 0;
    for (const VentriloElement* up = element; up; up = up->GetParent())
      ++depth;
    EXPECT_LE(depth, 5u);
    std::size_t walked = 0;
    for (const VentriloElement* e = instance->GetFirstChild(); e; e = e->WalkNext()) {
      ++walked;
      EXPECT_EQ(VentriloElement::FromID(e->GetID()), e);
    }
    EXPECT_LE(walked, VentriloElement::LiveCount());
    // The query matches only elements that no longer resolve: the walk meets none.
    EXPECT_EQ(instance->Find("dead"), nullptr);
    for (const VentriloElement* named : {static_cast<VentriloElement*>(instance->GetMe()), instance->GetSelection()})
      EXPECT_TRUE(!named || VentriloElement::FromID(named->GetID()) == named);
    instance->Select(element);
    instance->Join(element);
  };
  snapshot.localUser = ann;
  snapshot.selected = xena;
  Apply();

  // One pass with a change, two moves, an arrival and a departure with its subtree.
  ann->values.flags = 4;
  snapshot.MoveUser(ann, b);
  snapshot.MoveUser(sam, sub);
  snapshot.AddUser(a, {.key = 60, .name = "neo"});
  snapshot.Detach(sub);
  Apply();

  server->values.icon = 14;
  Apply();
  onEvent = nullptr;
  EXPECT_GT(handled, 40);
  kept.erase(instance->GetID());
  for (std::uint32_t id : kept)
    EXPECT_EQ(VentriloElement::FromID(id), nullptr);
  EXPECT_EQ(*instance->GetMetadata("last"), "Ventrilo.OnOffline");
}

// A host may let a script's exception out of FireEvent. Each raise ends there:
// one console line, and the pass goes on as if the handler had returned.
TEST_F(HandlersMidPass, ThrowingHandlers_AreReportedAndEveryPassGoesOnAsIfTheyReturned) {
  std::size_t thrown = 0;
  onEvent = [&](const RecordingHost::FiredEvent&) {
    ++thrown;
    throw std::runtime_error("a script failed");
  };
  snapshot.localUser = ann;
  snapshot.selected = xena;
  EXPECT_EQ(Apply().size(), 1 + 7 * Arrival("").size());
  EXPECT_EQ(instance->GetMe(), Element(20));

  snapshot.MoveUser(ann, b);
  snapshot.Detach(sub);
  EXPECT_THAT(Apply(), testing::ElementsAre("LeavingParent ann", "JoinedParent ann", "LeavingInstance Sub",
                                            "LeavingInstance xena", "LeavingParent xena", "LeavingParent Sub"));
  EXPECT_EQ(Element(40), nullptr);
  EXPECT_EQ(instance->GetSelection(), nullptr);

  server->values.icon = 14;
  EXPECT_EQ(Apply().size(), 2 * 5 + 1u);
  EXPECT_EQ(VentriloElement::LiveCount(), 1u);
  EXPECT_THAT(Apply(), testing::IsEmpty());  // nothing is left to leave a second time

  log.clear();
  const std::uint32_t id = instance->GetID();
  instance->Destroy();
  instance = nullptr;
  EXPECT_THAT(log, testing::ElementsAre("InstanceClosed instance"));
  EXPECT_EQ(VentriloElement::FromID(id), nullptr);
  const std::vector<std::string> console = host.Console();
  EXPECT_EQ(console.size(), thrown);
  EXPECT_EQ(console.front(), "Chorister: an exception left the handlers of Ventrilo.OnOnline; ignored\n");
}
