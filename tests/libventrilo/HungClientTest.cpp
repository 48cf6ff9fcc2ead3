#include "tests/libventrilo/LibraryTest.h"

#include <atomic>

namespace {

// Hangs reported this long ago are past SMTO_ABORTIFHUNG's 5 s.
constexpr DWORD kLongHang = 6000;

using HungClient = LibraryTest;

TEST_F(HungClient, Capture_FailsWithoutHoldingUpOthersAndRecovers) {
  standin::StandinClient hung(SmallRoster());
  standin::StandinClient fine(SmallRoster());
  Held<Ventrilo> hungInstance = InstanceOf(hung);
  Held<Ventrilo> fineInstance = InstanceOf(fine);
  sim::SetHung(hung.ProcessId(), true, kLongHang);

  ISnapshot* out = nullptr;
  EXPECT_FALSE(hungInstance->TakeSnapshot(&out));
  EXPECT_EQ(out, nullptr);
  EXPECT_NE(ServerOf(Capture(fineInstance.get()).get()), nullptr);

  sim::SetHung(hung.ProcessId(), false);
  Held<ISnapshot> next = Capture(hungInstance.get());
  EXPECT_EQ(UserNames(ServerOf(next.get())), std::vector<std::string>{"Alice"});
}

TEST_F(HungClient, Capture_HangInTheMiddleOfTheTreeDropsTheSnapshot) {
  standin::StandinClient client(SmallRoster());
  Held<Ventrilo> instance = InstanceOf(client);
  std::atomic<int> itemRequests{0};
  sim::SetMessageHook([&](const sim::CallRecord& call) {
    if (call.message == TVM_GETITEMA && ++itemRequests == 7)
      sim::SetHung(client.ProcessId(), true, kLongHang);
  });
  ISnapshot* out = nullptr;
  EXPECT_FALSE(instance->TakeSnapshot(&out));
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(itemRequests, 7) << "nothing more is sent once the client stopped answering";
  EXPECT_TRUE(sim::TakeMessageBoxes().empty());

  sim::SetMessageHook(nullptr);
  sim::SetHung(client.ProcessId(), false);
  EXPECT_EQ(ChannelNames(ServerOf(Capture(instance.get()).get())), (std::vector<std::string>{"Games", "Lobby"}));
}

// A thread that has just stopped answering is waited for up to the bound.
TEST_F(HungClient, Capture_FreshHangEndsAtTheBound) {
  standin::StandinClient client(SmallRoster());
  Held<Ventrilo> instance = InstanceOf(client);
  sim::SetHung(client.ProcessId(), true);
  ISnapshot* out = nullptr;
  EXPECT_FALSE(instance->TakeSnapshot(&out));
  EXPECT_EQ(out, nullptr);
  sim::SetHung(client.ProcessId(), false);
}

}  // namespace
