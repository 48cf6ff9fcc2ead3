#include "libventrilo/ReadRemoteString.h"
#include "libventrilo/ReadTreeItem.h"
#include "libventrilo/TreeItemInfo.h"
#include "libventrilo/VentFailureBox.h"
#include "tests/libventrilo/ClientTest.h"

#include <atomic>
#include <cstring>

namespace {

constexpr unsigned kBoxTimeoutMs = 10000;

// Reads a stand-in's items and memory through a process handle and buffers of
// its own, as a client instance does.
class TreeItemRead : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    process_ = OpenProcess(Ventrilo::kProcessAccess, FALSE, pid_);
    memory_ = std::make_unique<VentRemoteMemory>(process_);
    memory_->Allocate();
  }
  void TearDown() override {
    memory_.reset();
    CloseHandle(process_);
    ClientTest::TearDown();
  }

  bool Read(HTREEITEM item, TreeItemInfo* info) {
    bool answered = true;
    const bool read = ReadTreeItem(client_->TreeView(), item, memory_.get(), info, &answered);
    EXPECT_TRUE(answered);
    return read;
  }
  HTREEITEM InsertRaw(const std::string& text, std::uint32_t lParam) {
    return sim::TreeInsert(client_->TreeView(), TVI_ROOT, TVI_LAST, {text, 2, lParam});
  }
  // A committed page filled with `fill`, with nothing committed after it.
  std::uint32_t Page(char fill) {
    const std::uint32_t page = sim::Allocate(pid_, 4096);
    const std::string bytes(4096, fill);
    sim::Write(pid_, page, bytes.data(), 4096);
    return page;
  }
  // The sizes of the reads ReadRemoteString makes for `address`, and its text.
  std::vector<std::uint32_t> ReadString(std::uint32_t address, std::string* text) {
    sim::StartRecording();
    ReadRemoteString(process_, address, text);
    std::vector<std::uint32_t> sizes;
    for (const sim::CallRecord& call : sim::TakeRecords())
      sizes.push_back(call.size);
    sim::StopRecording();
    return sizes;
  }

  HANDLE process_ = nullptr;
  std::unique_ptr<VentRemoteMemory> memory_;
};

TEST_F(TreeItemRead, Item_EveryFieldAndTheTextCutAt1023) {
  client_->SetSuffix("Carol", std::string(2000, 'x'));
  TreeItemInfo info;
  ASSERT_TRUE(Read(client_->Item("Carol"), &info));
  EXPECT_EQ(info.displayText, ("Carol " + std::string(2000, 'x')).substr(0, 1023));
  EXPECT_EQ(info.name, "Carol");
  EXPECT_EQ(info.iconID, 2);
  EXPECT_EQ(info.recordAddress, client_->Record("Carol"));

  info = TreeItemInfo();
  ASSERT_TRUE(Read(client_->Item("Alice"), &info));
  EXPECT_EQ(info.rankID, 0xFFFFu);
  EXPECT_EQ(info.rank, "Owner");
  EXPECT_EQ(info.flags, kFlagAdmin);
}

// An item the tree view answers FALSE for is reported to the caller, which
// alone can tell a deleted item from a tree view that fails: no box here.
TEST_F(TreeItemRead, Item_DeletedReportedWithoutABox) {
  const HTREEITEM carol = client_->Item("Carol");
  const HTREEITEM bob = client_->Item("Bob");
  client_->Remove("Lobby");
  for (HTREEITEM gone : {carol, bob}) {
    TreeItemInfo info;
    bool itemGone = false;
    bool answered = true;
    EXPECT_FALSE(ReadTreeItem(client_->TreeView(), gone, memory_.get(), &info, &answered, &itemGone));
    EXPECT_TRUE(answered);
    EXPECT_TRUE(itemGone);
    EXPECT_EQ(info.displayText, "");
    EXPECT_EQ(info.iconID, -1);
  }
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());
}

// The box is shown from a thread of its own: nobody at the screen holds up
// the capture, and while one box is open the next failure shows none.
TEST_F(TreeItemRead, FailureBox_OneAtATimeAndNoneWithoutAThread) {
  sim::HoldMessageBoxes(true);
  VentFailureBox::Show("Treeview_GetItem failed", "error");
  VentFailureBox::Show("Treeview_GetItem failed", "error");
  ASSERT_TRUE(sim::AwaitMessageBoxes(1, kBoxTimeoutMs));
  sim::HoldMessageBoxes(false);
  ASSERT_TRUE(VentFailureBox::AwaitClosed(kBoxTimeoutMs));
  EXPECT_TRUE(sim::AwaitModuleReferences(0, kBoxTimeoutMs)) << "the box thread lets go of the module as it ends";
  const std::vector<sim::MessageBoxRecord> boxes = sim::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Treeview_GetItem failed");
  EXPECT_EQ(boxes[0].caption, "error");
  EXPECT_EQ(boxes[0].type, MB_OK);

  sim::FailCreateThread(1);
  VentFailureBox::Show("Treeview_GetItem failed", "error");
  EXPECT_TRUE(VentFailureBox::AwaitClosed(kBoxTimeoutMs));
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());
  EXPECT_TRUE(sim::AwaitModuleReferences(0, kBoxTimeoutMs));
}

// The client deletes an item after the walk found it and before it is read:
// the walk would take the gap for the end of the list, so it is walked again
// at once, within the same capture, without a box.
TEST_F(TreeItemRead, Item_DeletedDuringCaptureIsWalkedAgainWithoutABox) {
  // The walk asks for Bob's next sibling, then reads it: Carol goes in between.
  std::atomic<bool> walkedPastBob{false};
  sim::SetMessageHook([&](const sim::CallRecord& call) {
    if (call.message == TVM_GETNEXTITEM && call.wParam == TVGN_NEXT &&
        reinterpret_cast<HTREEITEM>(call.lParam) == client_->Item("Bob"))
      walkedPastBob = true;
    else if (call.message == TVM_GETITEMA && walkedPastBob && client_->Item("Carol"))
      client_->Remove("Carol");
  });
  Held<ISnapshot> snapshot = Capture(instance_.get());
  sim::SetMessageHook(nullptr);
  EXPECT_EQ(UserNames(ChannelNamed(ServerOf(snapshot.get()), "Lobby")), std::vector<std::string>{"Bob"});
  EXPECT_EQ(ChannelNames(ServerOf(snapshot.get())), (std::vector<std::string>{"Games", "Lobby"}));
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());
}

TEST_F(TreeItemRead, Record_UnreadableFailsSilently) {
  const std::uint32_t page = Page('r');
  for (std::uint32_t record : {0u, page + 4096 - 100}) {
    TreeItemInfo info;
    EXPECT_FALSE(Read(InsertRaw("Raw", record), &info)) << record;
    EXPECT_EQ(info.displayText, "Raw");
    EXPECT_EQ(info.iconID, 2) << "the image came before the record";
    EXPECT_EQ(info.recordAddress, 0u);
  }
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());
}

TEST_F(TreeItemRead, Record_EmptyStringAddressesAreNotRead) {
  const std::uint32_t record = client_->Record("Carol");
  const std::uint32_t none = 0;
  sim::Write(pid_, record + 0x88, &none, sizeof none);
  sim::StartRecording();
  TreeItemInfo info;
  ASSERT_TRUE(Read(client_->Item("Carol"), &info));
  const std::vector<sim::CallRecord> calls = sim::TakeRecords();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().size, 156u) << "the record is the last read";
  EXPECT_EQ(info.name, "");
  EXPECT_EQ(info.pronunciation, "");
  EXPECT_EQ(info.rank, "") << "an empty name is found at the start";
}

TEST_F(TreeItemRead, String_ReadsToTheEndOfItsPageNearTheEndOfMemory) {
  std::string text = "keep";
  EXPECT_EQ(ReadString(0, &text), std::vector<std::uint32_t>{});
  EXPECT_EQ(text, "");
  text = "keep";
  EXPECT_EQ(ReadString(standin::kEmptyStringAddress, &text), std::vector<std::uint32_t>{});
  EXPECT_EQ(text, "");

  EXPECT_EQ(ReadString(client_->AllocateString(std::string(1500, 's')), &text), std::vector<std::uint32_t>{1024});
  EXPECT_EQ(text, std::string(1023, 's'));

  const std::uint32_t page = Page('p');
  const std::string short400(400, 'w');
  sim::Write(pid_, page + 4096 - 512, short400.c_str(), 401);
  EXPECT_EQ(ReadString(page + 4096 - 512, &text), (std::vector<std::uint32_t>{512}));
  EXPECT_EQ(text, short400);
  // Ends in the last bytes of memory, and between two of the sizes a halving
  // read would try: both come through whole.
  sim::Write(pid_, page + 4096 - 8, "abcdefg", 8);
  EXPECT_EQ(ReadString(page + 4096 - 8, &text), (std::vector<std::uint32_t>{8}));
  EXPECT_EQ(text, "abcdefg");
  const std::string long39(39, 'm');
  sim::Write(pid_, page + 4096 - 40, long39.c_str(), 40);
  EXPECT_EQ(ReadString(page + 4096 - 40, &text), (std::vector<std::uint32_t>{40}));
  EXPECT_EQ(text, long39);

  // Ending just below a guard page (a thread's stack guard): the read stays
  // in the string's page, and the guard survives.
  const std::uint32_t guarded = sim::Allocate(pid_, 8192);
  ASSERT_TRUE(sim::Protect(pid_, guarded + 4096, 4096, PAGE_READWRITE | PAGE_GUARD));
  sim::Write(pid_, guarded + 4096 - 6, "stack", 6);
  EXPECT_EQ(ReadString(guarded + 4096 - 6, &text), (std::vector<std::uint32_t>{6}));
  EXPECT_EQ(text, "stack");
  EXPECT_EQ(sim::Protection(pid_, guarded + 4096), PAGE_READWRITE | PAGE_GUARD);

  // No terminator before the end of memory: the last byte read is replaced.
  const std::uint32_t unterminated = Page('u');
  EXPECT_EQ(ReadString(unterminated + 4096 - 300, &text), (std::vector<std::uint32_t>{300, 724}));
  EXPECT_EQ(text, std::string(299, 'u'));

  text = "keep";
  EXPECT_EQ(ReadString(unterminated + 4096, &text), (std::vector<std::uint32_t>{1024}));
  EXPECT_EQ(text, "keep");
}

TEST_F(TreeItemRead, FailedCommit_NoRequestWithoutAnAddress) {
  // No region: no buffers at all.
  VentRemoteMemory uncommitted(process_);
  sim::FailVirtualAlloc(1);
  EXPECT_FALSE(uncommitted.Allocate());
  ASSERT_EQ(uncommitted.GetItemBuffer(), nullptr);
  sim::StartRecording();
  TreeItemInfo info;
  bool answered = true;
  EXPECT_FALSE(ReadTreeItem(client_->TreeView(), client_->Item("Bob"), &uncommitted, &info, &answered));
  EXPECT_TRUE(answered);
  EXPECT_TRUE(sim::TakeRecords().empty());

  // A fresh pair (the first one abandoned), and one buffer's commit fails: no
  // request through the other.
  ASSERT_TRUE(uncommitted.Allocate());
  uncommitted.Abandon();
  sim::FailVirtualAlloc(1);
  EXPECT_FALSE(uncommitted.Allocate());
  ASSERT_EQ(uncommitted.GetItemBuffer()->GetAddress(), nullptr);
  EXPECT_NE(uncommitted.GetTextBuffer()->GetAddress(), nullptr);
  sim::TakeRecords();
  EXPECT_FALSE(ReadTreeItem(client_->TreeView(), client_->Item("Bob"), &uncommitted, &info, &answered));
  EXPECT_TRUE(sim::TakeRecords().empty());
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());

  // Allocate commits what is missing, and only that.
  const LPVOID text = uncommitted.GetTextBuffer()->GetAddress();
  EXPECT_TRUE(uncommitted.Allocate());
  EXPECT_EQ(uncommitted.GetTextBuffer()->GetAddress(), text);
  EXPECT_NE(uncommitted.GetItemBuffer()->GetAddress(), nullptr);
}

}  // namespace
