// A stand-in client on a fresh desktop, showing a small roster with every kind
// of item, and what a reader sees of it through Win32 alone.
#pragma once

#include "platform/sim/SimDesktop.h"
#include "tests/support/ClientProbe.h"
#include "standin/StandinClient.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class StandinFixture : public ::testing::Test {
 protected:
  using Item = standin::ClientProbe::Item;

  // Chorister Server
  //   Lurker                    [Guest], no strings
  //   Lobby                     Bob ("AM" Officer Bob (away), rank id 7), Alice (talking)
  //     Quiet (password icon)   Carol
  //       Deep
  //   Games
  // The local user is Alice.
  static standin::Roster SampleRoster();
  static standin::Entry Named(const std::string& name, int icon = -1);

  void SetUp() override;
  void TearDown() override;

  // Every item of the client's tree in pre-order, read as a reader reads it.
  std::vector<Item> Tree() const;
  // The item named `name` (the server by its own name), or an empty item.
  Item Shown(const std::string& name) const;
  // Each parent's children by name, in tree order; the top level is "(top)".
  std::map<std::string, std::vector<std::string>> Layout() const;

  std::unique_ptr<standin::StandinClient> client;
};
