#include "libventrilo/IVentriloLocator.h"
#include "tests/libventrilo/LibraryTest.h"

#include <memory>
#include <utility>

namespace {

// Reports each instance with a reference taken, so that the pointers of
// dropped instances stay distinct from the ones of new instances.
struct Reported : IVentriloEnumerator {
  int stopAt = -1;
  std::vector<std::pair<DWORD, Held<IVentrilo>>> instances;

  int OnVentrilo(DWORD processId, IVentrilo* instance) override {
    instance->AddRef();
    instances.emplace_back(processId, Held<IVentrilo>(instance));
    return static_cast<int>(instances.size()) == stopAt ? 1 : 2;
  }
  std::vector<DWORD> ProcessIds() const {
    std::vector<DWORD> ids;
    for (const auto& [processId, instance] : instances)
      ids.push_back(processId);
    return ids;
  }
};

class Locator : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_TRUE(GetVentriloLocator(&locator_));
  }
  void TearDown() override {
    locator_->Release();
    LibraryTest::TearDown();
  }
  std::unique_ptr<Reported> Enumerate(int stopAt = -1) {
    auto reported = std::make_unique<Reported>();
    reported->stopAt = stopAt;
    count_ = locator_->Enumerate(reported.get());
    return reported;
  }

  IVentriloLocator* locator_ = nullptr;
  int count_ = -1;
};

TEST_F(Locator, WindowTest_OnlyDialogsTitledVentriloOfOtherProcesses) {
  standin::StandinClient client(SmallRoster());
  const DWORD other = sim::CreateProcess("other.exe");
  sim::CreateWindow(GetCurrentProcessId(), "#32770", "Ventrilo");
  sim::CreateWindow(other, "Static", "Ventrilo");
  sim::CreateWindow(other, "#32770", "Ventrilo 3.0");
  sim::CreateWindow(other, "#32770", "ventrilo");
  sim::CreateWindow(other, "#32770", "");
  EXPECT_EQ(Enumerate()->ProcessIds(), std::vector<DWORD>{client.ProcessId()});

  // The real class counts: a superclassed dialog is still a dialog.
  const HWND superclassed = sim::CreateWindow(other, "VentriloDialog", "Ventrilo");
  sim::SetRealClass(superclassed, "#32770");
  auto reported = Enumerate();
  ASSERT_EQ(reported->instances.size(), 2u);
  EXPECT_EQ(reported->instances[1].second->GetWindow(), superclassed);
}

TEST_F(Locator, Instances_OnePerProcessKeptWhileTheWindowLives) {
  standin::StandinClient client(SmallRoster());
  const HWND second = sim::CreateWindow(client.ProcessId(), "#32770", "Ventrilo");
  auto first = Enumerate();
  ASSERT_EQ(first->instances.size(), 1u);
  IVentrilo* instance = first->instances[0].second.get();
  EXPECT_EQ(instance->GetProcessID(), client.ProcessId());
  const bool clientFirst = reinterpret_cast<UINT_PTR>(client.Window()) < reinterpret_cast<UINT_PTR>(second);
  EXPECT_EQ(instance->GetWindow(), clientFirst ? client.Window() : second) << "bound to the lowest handle";
  EXPECT_EQ(Enumerate()->instances[0].second.get(), instance);

  // A client that re-creates its main window is a new instance.
  sim::DestroyWindow(second);
  client.CloseWindow();
  client.ReopenWindow();
  auto again = Enumerate();
  ASSERT_EQ(again->instances.size(), 1u);
  EXPECT_NE(again->instances[0].second.get(), instance);
  EXPECT_EQ(again->instances[0].second->GetWindow(), client.Window());

  client.CloseWindow();
  EXPECT_TRUE(Enumerate()->instances.empty());
  EXPECT_EQ(count_, 0);
}

TEST_F(Locator, Report_AscendingProcessIdsAndAnswerOneStops) {
  standin::StandinClient a(SmallRoster());
  standin::StandinClient b(SmallRoster());
  standin::StandinClient c(SmallRoster());
  // Put the oldest client's window on top of the z-order and last in handles.
  a.CloseWindow();
  a.ReopenWindow();
  std::vector<DWORD> ascending = {a.ProcessId(), b.ProcessId(), c.ProcessId()};
  std::sort(ascending.begin(), ascending.end());
  EXPECT_EQ(Enumerate()->ProcessIds(), ascending);
  EXPECT_EQ(count_, 3) << "answers other than 1 go on";

  EXPECT_EQ(Enumerate(1)->ProcessIds(), std::vector<DWORD>{ascending[0]});
  EXPECT_EQ(count_, 1);
}

}  // namespace
