#include "tests/libventrilo/ClientTest.h"
#include "tests/support/MessageSequence.h"

#include <cstring>

namespace {

using sim::Call;

// Builds the traffic a capture of a stand-in must cause, item by item.
class CaptureTraffic : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    tree_ = client_->TreeView();
  }

  std::uint32_t ItemBuffer() const { return Address(instance_->GetRemoteMemory()->GetItemBuffer()); }
  std::uint32_t TextBuffer() const { return Address(instance_->GetRemoteMemory()->GetTextBuffer()); }
  static std::uint32_t Address(const VentRemoteBuffer* buffer) {
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(buffer->GetAddress()));
  }

  ExpectedCall Next(UINT relation, const std::string& from, const std::string& result) const {
    return ExpectedCall::Send(tree_, TVM_GETNEXTITEM)
        .WParam(relation)
        .LParam(from == "-" ? 0 : reinterpret_cast<LPARAM>(client_->Item(from)))
        .Result(result == "-" ? 0 : reinterpret_cast<LRESULT>(client_->Item(result)));
  }

  // The two TVM_GETITEMA requests through the item buffer, the text, the
  // record and each string the record holds.
  MessageSequence ItemRead(const std::string& name) const {
    const ExpectedCall getItem =
        ExpectedCall::Send(tree_, TVM_GETITEMA).WParam(0).LParam(static_cast<LPARAM>(ItemBuffer())).Result(TRUE);
    const std::uint32_t record = client_->Record(name);
    MessageSequence read;
    read.Add(ExpectedCall::Write(pid_, 40).Address(ItemBuffer()))
        .Add(getItem)
        .Add(ExpectedCall::Read(pid_, 1024).Address(TextBuffer()))
        .Add(ExpectedCall::Write(pid_, 40).Address(ItemBuffer()))
        .Add(getItem)
        .Add(ExpectedCall::Read(pid_, 40).Address(ItemBuffer()))
        .Add(ExpectedCall::Read(pid_, 156).Address(record));
    std::uint32_t strings[4];
    sim::Read(pid_, record + 0x88, strings, sizeof strings);
    for (std::uint32_t string : strings) {
      if (string != standin::kEmptyStringAddress)
        read.Add(ExpectedCall::Read(pid_, 1024).Address(string));
    }
    return read;
  }

  // Every child window of the client's dialog, and the walk of its tree.
  MessageSequence ExpectedCapture() const {
    std::vector<HWND> children;
    EnumChildWindows(
        client_->Window(),
        [](HWND child, LPARAM list) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    MessageSequence capture;
    capture.Add(ExpectedCall::Of(Call::EnumChildWindows).Window(client_->Window()));
    for (HWND child : children) {
      capture.Add(ExpectedCall::Send(child, WM_GETTEXT).WParam(256))
          .Add(ExpectedCall::Of(Call::GetClassName).Window(child));
      if (child == tree_)
        capture.Add(Walk());
    }
    return capture;
  }

  MessageSequence Walk() const {
    MessageSequence walk;
    walk.Add(Next(TVGN_CARET, "-", "-")).Add(Next(TVGN_ROOT, "-", ""));
    walk.Add(ItemRead("")).Add(Next(TVGN_NEXT, "", "Alice"));
    walk.Add(ItemRead("Alice")).Add(Next(TVGN_NEXT, "Alice", "Lobby"));
    walk.Add(ItemRead("Lobby")).Add(Next(TVGN_CHILD, "Lobby", "Bob"));
    walk.Add(ItemRead("Bob")).Add(Next(TVGN_NEXT, "Bob", "Carol"));
    walk.Add(ItemRead("Carol")).Add(Next(TVGN_NEXT, "Carol", "-"));
    walk.Add(Next(TVGN_NEXT, "Lobby", "Games"));
    walk.Add(ItemRead("Games")).Add(Next(TVGN_CHILD, "Games", "Chess"));
    walk.Add(ItemRead("Chess")).Add(Next(TVGN_CHILD, "Chess", "Dave"));
    walk.Add(ItemRead("Dave")).Add(Next(TVGN_NEXT, "Dave", "-"));
    walk.Add(Next(TVGN_NEXT, "Chess", "-")).Add(Next(TVGN_NEXT, "Games", "-"));
    return walk;
  }

  HWND tree_ = nullptr;
};

TEST_F(CaptureTraffic, Capture_ExactCallsFirstAndLater) {
  sim::StartRecording();
  Held<ISnapshot> first = Capture(instance_.get());
  const std::vector<sim::CallRecord> firstCalls = sim::TakeRecords();
  Held<ISnapshot> second = Capture(instance_.get());
  const std::vector<sim::CallRecord> secondCalls = sim::TakeRecords();
  sim::StopRecording();

  // The process is opened, one region reserved and the buffers committed at
  // its start on the first capture only.
  MessageSequence opening;
  opening.Add(ExpectedCall::Of(Call::OpenProcess).Process(pid_).Ok(true))
      .Add(ExpectedCall::Of(Call::AllocMemory).Process(pid_).Address(ItemBuffer()).Size(65536))
      .Add(ExpectedCall::Of(Call::AllocMemory).Process(pid_).Address(ItemBuffer()).Size(4096))
      .Add(ExpectedCall::Of(Call::AllocMemory).Process(pid_).Address(TextBuffer()).Size(4096))
      .Add(ExpectedCapture());
  EXPECT_TRUE(opening.Matches(firstCalls));
  EXPECT_TRUE(ExpectedCapture().Matches(secondCalls));

  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->AddRef(), 2) << "each snapshot comes with the caller's reference only";
  first->Release();
}

TEST_F(CaptureTraffic, Instance_OpensOnceAndGivesEverythingBackAtItsEnd) {
  const std::uint64_t committed = sim::CommittedBytes(pid_);
  EXPECT_FALSE(instance_->IsProcessOpen());
  Capture(instance_.get());
  Capture(instance_.get());
  EXPECT_TRUE(instance_->IsProcessOpen());
  EXPECT_EQ(sim::OpenHandleCount(pid_), 1);
  const std::uint32_t itemBuffer = ItemBuffer();
  const std::uint32_t textBuffer = TextBuffer();

  sim::StartRecording();
  instance_.Reset();
  MessageSequence end;
  // The buffers' region goes back whole, the text buffer's page with it.
  ASSERT_EQ(textBuffer, itemBuffer + 4096);
  end.Add(ExpectedCall::Of(Call::FreeMemory).Process(pid_).Address(itemBuffer).Ok(true))
      .Add(ExpectedCall::Of(Call::CloseHandle).Process(pid_).Ok(true));
  EXPECT_TRUE(end.Matches(sim::TakeRecords()));
  EXPECT_EQ(sim::CommittedBytes(pid_), committed);
  EXPECT_EQ(sim::OpenHandleCount(pid_), 0);

  // An instance that never opened its process has nothing to give back.
  Held<Ventrilo> unopened = InstanceOf(*client_);
  unopened.Reset();
  EXPECT_TRUE(sim::TakeRecords().empty());
}

TEST_F(CaptureTraffic, OpenRefused_NoSnapshotUntilItSucceeds) {
  sim::SetOpenProcessRefused(pid_, true);
  ISnapshot* const untouched = reinterpret_cast<ISnapshot*>(&pid_);
  ISnapshot* out = untouched;
  EXPECT_FALSE(instance_->TakeSnapshot(&out));
  EXPECT_EQ(out, untouched);
  EXPECT_FALSE(instance_->IsProcessOpen());

  sim::SetOpenProcessRefused(pid_, false);
  Held<ISnapshot> snapshot = Capture(instance_.get());
  EXPECT_TRUE(instance_->IsProcessOpen());
}

}  // namespace
