// An instance element over a fake client, raising into a recording host, with
// a hand-built snapshot to apply. Events are logged as
// "<event>[(<argument>)] <element name>" ("FlagsChanged(0) alice"), the name
// read when the event fires (so a new element's first icon change shows none);
// the instance shows as "instance".
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "elements/NextElementID.h"
#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"
#include "tests/support/FakeSnapshot.h"
#include "tests/support/HostedElements.h"
#include "tests/support/RecordingHost.h"

class ElementFixture : public testing::Test {
 protected:
  void SetUp() override {
    hosted = std::make_unique<HostedElements>(&host);
    host.onFire = [this](const RecordingHost::FiredEvent& event) {
      log.push_back(Describe(event));
      if (onEvent)
        onEvent(event);
      return 0;
    };
    instance = new VentriloInstance(NextElementID(), nullptr, &client);
    log.clear();
  }

  void TearDown() override {
    onEvent = nullptr;
    if (instance) {
      EXPECT_TRUE(instance->CheckTree());
      instance->Destroy();
    }
    hosted.reset();
    EXPECT_EQ(client.References(), 1);
  }

  // Applies the snapshot and returns the events it raised (taking them out of the log).
  std::vector<std::string> Apply() {
    log.clear();
    instance->ApplySnapshot(&snapshot);
    EXPECT_TRUE(instance->CheckTree());
    return std::exchange(log, {});
  }

  // The element made for the item of that key.
  VentriloElement* Element(std::uint32_t key) const { return instance->FindElementByKey(key); }

  // The names of an element's children, in chain order.
  static std::vector<std::string> Children(const VentriloElement* parent) {
    std::vector<std::string> names;
    for (const VentriloElement* child = parent->GetFirstChild(); child; child = child->GetNext())
      names.push_back(child->GetName());
    return names;
  }

  std::string Describe(const RecordingHost::FiredEvent& event) const {
    std::string text = event.name.substr(event.name.rfind(".On") + 3);
    if (!event.args.empty())
      text += "(" + event.args[0] + ")";
    const VentriloElement* element = VentriloElement::FromID(static_cast<std::uint32_t>(event.context.Data));
    const std::string name = !element ? "<gone>" : element == instance ? "instance" : element->GetName();
    return name.empty() ? text : text + " " + name;
  }

  RecordingHost host;
  std::unique_ptr<HostedElements> hosted;
  FakeClient client;
  FakeSnapshot snapshot;
  VentriloInstance* instance = nullptr;
  std::vector<std::string> log;
  // Runs inside each raise, after it was logged: a script handler.
  std::function<void(const RecordingHost::FiredEvent&)> onEvent;
};

// Server (1) holding user "sam" (10) and channels A (2) and B (3); A holds
// "ann" (20) and sub-channel "Sub" (4), which holds "xena" (40).
class SnapshotPass : public ElementFixture {
 protected:
  void SetUp() override {
    ElementFixture::SetUp();
    server = snapshot.SetServer({.key = 1, .name = "Server"});
    sam = snapshot.AddUser(server, {.key = 10, .name = "sam"});
    a = snapshot.AddChannel(server, {.key = 2, .name = "A"});
    ann = snapshot.AddUser(a, {.key = 20, .name = "ann"});
    sub = snapshot.AddChannel(a, {.key = 4, .name = "Sub"});
    xena = snapshot.AddUser(sub, {.key = 40, .name = "xena"});
    b = snapshot.AddChannel(server, {.key = 3, .name = "B"});
  }

  static std::vector<std::string> Arrival(const std::string& name) {
    return {"IconChanged(-1)", "NameChanged " + name, "JoinedInstance " + name, "JoinedParent " + name};
  }

  FakeServer* server = nullptr;
  FakeUser* sam = nullptr;
  FakeChannel* a = nullptr;
  FakeUser* ann = nullptr;
  FakeChannel* sub = nullptr;
  FakeUser* xena = nullptr;
  FakeChannel* b = nullptr;
};
