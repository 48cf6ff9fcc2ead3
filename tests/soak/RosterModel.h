// A stand-in client under random change, and the model of its roster that the
// soak checks the module against.
//
// Every mutation is made to the client and to the model alike: users join,
// leave, move, change flags, rank, comment, pronunciation, URL, suffix and
// icon; channels are added (with users and a sub-channel), removed, moved and
// renamed; the server is renamed; the client disconnects and reconnects,
// changes its own user and its selection; now and then the client exits and
// a new client process starts with the same roster. From the model, Expect()
// gives what the module's element tree must show for the client.
//
// Renames are of two kinds: another spelling of the name (its case, a
// trailing "-"), and a new name that may move it past its siblings. Some new
// user names also occur in the flag letters or inside a rank ("A", "AM",
// "Off"), for the display-text parse.
#pragma once

#include "standin/StandinClient.h"
#include "tests/soak/TreeExpectation.h"

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

class RosterModel {
 public:
  // Starts a client showing a small roster; `tag` tells its names apart from
  // another client's.
  RosterModel(std::mt19937_64& random, const std::string& tag);

  standin::StandinClient& Client() { return *client_; }
  // Makes one random change; returns what it did ("move User3 -> Chan2").
  std::string Mutate();
  // What the module's tree must show for the client now; called once a pass.
  TreeExpectation Expect();
  // How many times the client has exited and started again.
  int Restarts() const { return restarts_; }

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
  std::string FreshName(Kind kind);
  standin::Entry FreshEntry(Kind kind);
  std::string Letters();
  std::string Variant(const Node& node);
  void Rename(const std::string& name, const std::string& newName);
  void RemoveSubtree(const std::string& name);

  std::string Join();
  std::string Leave();
  std::string Move(Kind kind);
  std::string RenameOne(Kind kind);
  std::string AddChannel();
  std::string Attribute();
  std::string Link();
  std::string OwnUser();
  std::string Selection();
  std::string Restart();
  // The roster below the container `name` ("" for the server).
  standin::Channel Contents(const std::string& name) const;

  std::mt19937_64& random_;
  std::string tag_;
  int counter_ = 0;
  bool connected_ = true;
  int restarts_ = 0;
  std::string localUser_;
  std::map<std::string, Node> nodes_;
  std::unique_ptr<standin::StandinClient> client_;
};
