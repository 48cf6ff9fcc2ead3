// One item of a stand-in client's roster: the server, a channel or a user, with
// its attributes, its place in the roster, and what the client shows for it
// (its tree-view item while the tree shows it, its record while connected).
// Within a parent, users come before channels, each in the order they joined.
#pragma once

#include "platform/Win32.h"
#include "standin/ItemRecord.h"
#include "standin/Roster.h"

#include <memory>
#include <vector>

namespace standin {

class RosterNode {
 public:
  enum class Kind { Server, Channel, User };

  RosterNode(Kind kind, Entry entry) : kind(kind), entry(std::move(entry)) {}

  // The image index the tree shows: the entry's icon, or the kind's default.
  int Image() const;

  // Appends `child` to this node's users or channels and returns it.
  RosterNode& Adopt(std::unique_ptr<RosterNode> child);
  // Detaches `child` from this node and hands it back.
  std::unique_ptr<RosterNode> Release(const RosterNode& child);
  // Whether `node` is this node or lies below it.
  bool Contains(const RosterNode* node) const;
  // The user that precedes `user` among this node's users, or null.
  const RosterNode* UserBefore(const RosterNode& user) const;

  // Visits this node and everything below it, parents first.
  template <class Visit>
  void ForEach(Visit&& visit) {
    visit(*this);
    for (auto& user : users)
      visit(*user);
    for (auto& channel : channels)
      channel->ForEach(visit);
  }

  const Kind kind;
  Entry entry;
  RosterNode* parent = nullptr;
  std::vector<std::unique_ptr<RosterNode>> users;
  std::vector<std::unique_ptr<RosterNode>> channels;
  HTREEITEM item = nullptr;
  ItemRecord record;
};

}  // namespace standin
