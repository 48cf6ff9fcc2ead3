#pragma once

#include "libventrilo/IChannel.h"
#include "libventrilo/IServer.h"
#include "libventrilo/ISnapshot.h"
#include "libventrilo/IUser.h"
#include "libventrilo/Ventrilo.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/libventrilo/Held.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Collects what an enumeration reports and answers `answer` to every call.
struct ItemCollector : IChannelEnumerator, IUserEnumerator {
  int answer = 0;
  std::vector<IChannel*> channels;
  std::vector<IUser*> users;
  std::vector<std::string> names;

  int OnChannel(const char* name, IChannel* channel) override {
    channels.push_back(channel);
    names.push_back(name);
    return answer;
  }
  int OnUser(const char* name, IUser* user) override {
    users.push_back(user);
    names.push_back(name);
    return answer;
  }
  std::vector<std::string> SortedNames() {
    std::sort(names.begin(), names.end());
    return names;
  }
};

// A clean desktop per test, and the ways the tests reach a client.
class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { sim::ResetDesktop(); }
  void TearDown() override { sim::ResetDesktop(); }

  // A server "Lodge"; "Alice" at its top; channel "Lobby" with "Bob" and
  // "Carol"; channel "Games" with sub-channel "Chess" holding "Dave". The
  // client's own user is "Bob".
  static standin::Roster SmallRoster();

  // An instance for the client, as the locator makes it.
  static Held<Ventrilo> InstanceOf(const standin::StandinClient& client);
  static Held<ISnapshot> Capture(IVentrilo* instance);
  static IServer* ServerOf(ISnapshot* snapshot);

  // Sorted names of the direct users and channels of a server or channel.
  template <class Parent>
  static std::vector<std::string> UserNames(Parent* parent);
  template <class Parent>
  static std::vector<std::string> ChannelNames(Parent* parent);
  // The direct channel of that name, or null.
  template <class Parent>
  static IChannel* ChannelNamed(Parent* parent, const std::string& name);

  // A 156-byte item record in the client's memory whose name is `name`; the
  // other strings are empty.
  static std::uint32_t MakeRecord(standin::StandinClient& client, const std::string& name);
  // An item the client's own code would not show, with a record named `name`,
  // displayed as `text` (the name when empty).
  static HTREEITEM InsertItem(standin::StandinClient& client, HTREEITEM parent, const std::string& name, int image,
                              const std::string& text = "");
};

template <class Parent>
std::vector<std::string> LibraryTest::UserNames(Parent* parent) {
  ItemCollector collector;
  parent->EnumerateUsers(&collector);
  return collector.SortedNames();
}

template <class Parent>
std::vector<std::string> LibraryTest::ChannelNames(Parent* parent) {
  ItemCollector collector;
  parent->EnumerateChannels(&collector);
  return collector.SortedNames();
}

template <class Parent>
IChannel* LibraryTest::ChannelNamed(Parent* parent, const std::string& name) {
  ItemCollector collector;
  parent->EnumerateChannels(&collector);
  for (IChannel* channel : collector.channels) {
    if (name == channel->GetName())
      return channel;
  }
  return nullptr;
}
