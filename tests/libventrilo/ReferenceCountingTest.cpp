#include "libventrilo/IVentriloLocator.h"
#include "tests/libventrilo/LibraryTest.h"

#include <thread>
#include <vector>

namespace {

// Records the order of its end: the hook first, then the destructor.
class Counted : public VentReferenceCounted {
 public:
  explicit Counted(std::vector<std::string>* log) : log_(log) {}
  void OnDeleting() override { log_->push_back("deleting"); }

 private:
  ~Counted() override { log_->push_back("destroyed"); }
  std::vector<std::string>* log_;
};

// Takes and drops `rounds` references on `object`, one at a time.
void Churn(VentReferenceCounted* object, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    object->AddRef();
    object->Release();
  }
}

using ReferenceCounting = LibraryTest;

TEST_F(ReferenceCounting, Release_DeletesWithTheLastReferenceOnly) {
  std::vector<std::string> log;
  Counted* object = new Counted(&log);
  EXPECT_EQ(object->Release(), 0) << "a count of 0 stays 0";
  EXPECT_EQ(object->AddRef(), 1);
  EXPECT_EQ(object->AddRef(), 2);
  EXPECT_EQ(object->Release(), 1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(object->Release(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"deleting", "destroyed"}));
}

TEST_F(ReferenceCounting, Concurrent_CountsStayExact) {
  std::vector<std::string> log;
  Counted* object = new Counted(&log);
  object->AddRef();
  std::thread other(Churn, object, 20000);
  Churn(object, 20000);
  other.join();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(object->Release(), 0);
  EXPECT_EQ(log.size(), 2u);
}

// The polling thread enumerates (adding and dropping references on every
// instance) while the main thread holds and drops its own on the same one.
TEST_F(ReferenceCounting, Concurrent_InstanceSharedWithEnumeration) {
  standin::StandinClient client(SmallRoster());
  IVentriloLocator* locator = nullptr;
  ASSERT_TRUE(GetVentriloLocator(&locator));
  struct Keep : IVentriloEnumerator {
    IVentrilo* kept = nullptr;
    int OnVentrilo(DWORD, IVentrilo* instance) override {
      instance->AddRef();
      kept = instance;
      return 0;
    }
  } keep;
  ASSERT_EQ(locator->Enumerate(&keep), 1);
  struct Nothing : IVentriloEnumerator {
    int OnVentrilo(DWORD, IVentrilo*) override { return 0; }
  } nothing;
  std::thread poller([&] {
    for (int i = 0; i < 300; ++i)
      locator->Enumerate(&nothing);
  });
  Churn(keep.kept, 20000);
  poller.join();
  EXPECT_EQ(keep.kept->Release(), 1) << "only the locator's reference is left";
  EXPECT_EQ(locator->Release(), 0);
}

TEST_F(ReferenceCounting, Locator_SharedUntilTheLastReleaseThenFresh) {
  standin::StandinClient client(SmallRoster());
  IVentriloLocator* first = nullptr;
  IVentriloLocator* second = nullptr;
  ASSERT_TRUE(GetVentriloLocator(&first));
  ASSERT_TRUE(GetVentriloLocator(&second));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->AddRef(), 3);
  first->Release();

  // Open the client's process through the locator's instance, so that the
  // locator's end can be seen: it drops the instance, which closes it.
  struct Open : IVentriloEnumerator {
    int OnVentrilo(DWORD, IVentrilo* instance) override {
      ISnapshot* snapshot = nullptr;
      if (instance->TakeSnapshot(&snapshot))
        snapshot->Release();
      return 0;
    }
  } open;
  EXPECT_EQ(first->Enumerate(&open), 1);
  EXPECT_EQ(sim::OpenHandleCount(client.ProcessId()), 1);
  EXPECT_EQ(first->Release(), 1);
  EXPECT_EQ(second->Release(), 0);
  EXPECT_EQ(sim::OpenHandleCount(client.ProcessId()), 0) << "the table's references were released";

  IVentriloLocator* fresh = nullptr;
  ASSERT_TRUE(GetVentriloLocator(&fresh));
  EXPECT_EQ(fresh->AddRef(), 2) << "a new locator starts with the caller's reference only";
  fresh->Release();
  EXPECT_EQ(fresh->Release(), 0);
}

}  // namespace
