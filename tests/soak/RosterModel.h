// A stand-in client under random change, and the model of its roster that the
// soak checks the module against.
//
// Every mutation is made to the client and to the model alike: users join,
// leave, move, change flags, rank, comment, pronunciation, URL, suffix and
// icon; channels are added (with users and a sub-channel), removed, moved and
// renamed; the server is renamed; the client disconnects and reconnects,
// changes its own user and its selection. From the model, Expect() gives what
// the module's element tree must show for the client.
//
// Two kinds of change are left out unless asked for, because the module gets
// them wrong today:
//  - free renames: by default a rename keeps the name's place in its parent's
//    order (it changes the letters' case or a trailing "-"), since a rename
//    that moves a name past a sibling leaves the children out of order and the
//    element tree's checker fails on it;
//  - tricky names: names that also occur in the flag letters or the rank
//    ("A", "M", "Off"), which the display-text parse misreads;
//  - subtree leaves: removing a channel that holds users or channels, and
//    disconnecting and reconnecting (every element leaves with its parent),
//    since an element that leaves with its parent raises its leaving events
//    in the other order, detached before it leaves the instance;
//  - strings at the end of the client's memory: a string whose read cannot
//    take in its terminator without running into unreadable memory comes back
//    cut or empty, so by default such a string is written again elsewhere.
#pragma once

#include "standin/ItemRecord.h"
#include "standin/StandinClient.h"
#include "tests/soak/TreeExpectation.h"

#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

class RosterModel {
 public:
  struct Options {
    bool freeRenames = false;
    bool trickyNames = false;
    bool subtreeLeaves = false;
    bool stringsAtMemoryEnd = false;
  };

  // Starts a client showing a small roster; `tag` tells its names apart from
  // another client's.
  RosterModel(std::mt19937_64& random, const Options& options, const std::string& tag);

  standin::StandinClient& Client() { return *client_; }
  // Makes one random change; returns what it did ("move User3 -> Chan2").
  std::string Mutate();
  // What the module's tree must show for the client now; called once a pass.
  TreeExpectation Expect();

 private:
  using Kind = TreeExpectation::Kind;
  struct Node {
    Kind kind = Kind::User;
    standin::Entry entry;
    std::string parent;  // the name of the parent node; "" is the server
    std::string base;    // the name the ordered renames vary
  };

  // The nodes by the name the client knows them by ("" for the server).
  std::string Pick(Kind kind) const;
  // A container: the server ("") or a channel.
  std::string PickContainer() const;
  std::string PickAny() const;
  bool Within(const std::string& name, const std::string& ancestor) const;
  bool HasChildren(const std::string& name) const;
  std::string FreshName(Kind kind);
  standin::Entry FreshEntry(Kind kind);
  std::string Letters();
  std::string Variant(const Node& node);
  void Rename(const std::string& name, const std::string& newName);
  void RemoveSubtree(const std::string& name);
  // Whether a reader gets the whole string the record's field points to.
  bool ReadsWhole(std::uint32_t record, standin::ItemRecord::Text field) const;
  // Writes again, elsewhere, every string a reader would not get whole.
  void AvoidMemoryEnd();

  std::string Join();
  std::string Leave();
  std::string Move(Kind kind);
  std::string RenameOne(Kind kind);
  std::string AddChannel();
  std::string Attribute();
  std::string Link();
  std::string OwnUser();
  std::string Selection();

  std::mt19937_64& random_;
  Options options_;
  std::string tag_;
  int counter_ = 0;
  bool connected_ = true;
  std::string localUser_;
  std::map<std::string, Node> nodes_;
  // The records of the channels that held items at the last pass: removing
  // one of them before the next pass takes those items with it even when
  // they left meanwhile.
  std::set<std::uint32_t> heldAtLastPass_;
  std::unique_ptr<standin::StandinClient> client_;
};
