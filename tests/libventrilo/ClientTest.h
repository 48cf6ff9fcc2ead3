#pragma once

#include "tests/libventrilo/LibraryTest.h"

#include <memory>

// A stand-in showing the small roster, and an instance for it (not opened yet).
class ClientTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    client_ = std::make_unique<standin::StandinClient>(SmallRoster());
    pid_ = client_->ProcessId();
    instance_ = InstanceOf(*client_);
  }
  void TearDown() override {
    instance_.Reset();
    client_.reset();
    LibraryTest::TearDown();
  }

  std::unique_ptr<standin::StandinClient> client_;
  DWORD pid_ = 0;
  Held<Ventrilo> instance_;
};
