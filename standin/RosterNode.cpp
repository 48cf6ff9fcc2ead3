#include "standin/RosterNode.h"

#include <algorithm>

namespace standin {

namespace {

// Image indices of the client's icon table.
constexpr int kServerImage = 0;
constexpr int kChannelImage = 1;
constexpr int kSilentUserImage = 2;

}  // namespace

int RosterNode::Image() const {
  if (entry.icon != -1)
    return entry.icon;
  switch (kind) {
    case Kind::Server:
      return kServerImage;
    case Kind::Channel:
      return kChannelImage;
    case Kind::User:
      break;
  }
  return kSilentUserImage;
}

RosterNode& RosterNode::Adopt(std::unique_ptr<RosterNode> child) {
  child->parent = this;
  auto& list = child->kind == Kind::User ? users : channels;
  list.push_back(std::move(child));
  return *list.back();
}

std::unique_ptr<RosterNode> RosterNode::Release(const RosterNode& child) {
  auto& list = child.kind == Kind::User ? users : channels;
  const auto found = std::find_if(list.begin(), list.end(), [&](const auto& node) { return node.get() == &child; });
  if (found == list.end())
    return nullptr;
  std::unique_ptr<RosterNode> owned = std::move(*found);
  list.erase(found);
  owned->parent = nullptr;
  return owned;
}

bool RosterNode::Contains(const RosterNode* node) const {
  for (; node; node = node->parent) {
    if (node == this)
      return true;
  }
  return false;
}

const RosterNode* RosterNode::UserBefore(const RosterNode& user) const {
  const RosterNode* before = nullptr;
  for (const auto& candidate : users) {
    if (candidate.get() == &user)
      return before;
    before = candidate.get();
  }
  return nullptr;
}

}  // namespace standin
