// What one instance's element tree must hold after a snapshot was applied,
// worked out from what the client shows rather than from the module: whether
// the instance is online, every element by its item key with its kind, its
// parent and every attribute, Me and Selection, and the items the pass met on
// the way (what their events follow from, see EventAudit).
//
// The soak builds one from a stand-in client's roster; the snapshot-apply
// fuzzer from its model of the instance pass.
#pragma once

#include "libventrilo/TreeItemInfo.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class VentriloInstance;

class TreeExpectation {
 public:
  enum class Kind { Server, Channel, User };

  struct Element {
    Kind kind = Kind::User;
    // The parent's item key; 0 for the server, whose parent is the instance.
    std::uint32_t parent = 0;
    // Every attribute the element mirrors; recordAddress is not compared.
    TreeItemInfo values;
  };
  // One meeting of an item in the pass that updated its element: the values
  // it brought and the element's parent afterwards.
  struct Visit {
    TreeItemInfo values;
    std::uint32_t parent = 0;
  };

  static const char* KindName(Kind kind);
  // The elements of the instance's tree: item key -> element id.
  static std::map<std::uint32_t, std::uint32_t> IdsByKey(const VentriloInstance& instance);

  // The differences between the instance's tree and this expectation, one
  // line each; none when they agree. The tree's links are checked on the way:
  // parents and siblings agree both ways, ids and keys resolve to their elements.
  std::vector<std::string> Compare(const VentriloInstance& instance) const;

  bool online = false;
  std::map<std::uint32_t, Element> elements;
  // Item key -> the meetings in the order the pass made them.
  std::map<std::uint32_t, std::vector<Visit>> visits;
  // Item keys; 0 for none.
  std::uint32_t me = 0;
  std::uint32_t selection = 0;
};
