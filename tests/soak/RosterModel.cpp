#include "tests/soak/RosterModel.h"

#include "platform/sim/SimDesktop.h"
#include "tests/soak/FlagLetters.h"

#include <cctype>
#include <cstring>

namespace {

constexpr std::size_t kMostUsers = 40;
constexpr std::size_t kMostChannels = 12;
constexpr const char* kRanks[] = {"", "", "Officer", "[Guest]", "Raid Lead"};
constexpr const char* kSuffixes[] = {"", "", "(away)", "(muted)"};
constexpr const char* kWords[] = {"", "brb", "raid at nine", "http://guild.example/", "Ah-leess", "x"};
constexpr int kUserIcons[] = {2, 3, 9, 10, 11, 12, 13};
constexpr int kChannelIcons[] = {1, 4, 5, 6, 7, 8};
// User names that also occur in the flag letters or inside the ranks above
// (users only: they are the items whose text is parsed, and a channel made
// together with its first user could draw the same one). Not a
// word of a rank: "Raid Lead Raid" reads the same as rank "Raid Lead", name
// "Raid" and as no rank, name "Raid", suffix "Lead Raid", and no parse can
// tell which the client drew.
constexpr const char* kTrickyNames[] = {"A", "M", "P", "Off", "AM", "Guest", "Rai"};

int ImageOf(TreeExpectation::Kind kind, int icon) {
  if (icon != -1)
    return icon;
  return kind == TreeExpectation::Kind::Server ? 0 : kind == TreeExpectation::Kind::Channel ? 1 : 2;
}

}  // namespace

RosterModel::RosterModel(std::mt19937_64& random, const std::string& tag) : random_(random), tag_(tag) {
  standin::Roster roster;
  Node& server = nodes_[""];
  server.kind = Kind::Server;
  server.base = server.entry.name = "Hall" + tag_;
  server.entry.comment = "Welcome";
  roster.server = server.entry;
  for (int c = 0; c < 3; ++c) {
    standin::Channel channel{FreshEntry(Kind::Channel), {}, {}};
    nodes_[channel.entry.name] = {Kind::Channel, channel.entry, "", channel.entry.name};
    for (int u = 0; u < 3; ++u) {
      channel.users.push_back(FreshEntry(Kind::User));
      nodes_[channel.users.back().name] = {Kind::User, channel.users.back(), channel.entry.name,
                                           channel.users.back().name};
    }
    roster.channels.push_back(channel);
  }
  roster.users.push_back(FreshEntry(Kind::User));
  nodes_[roster.users.back().name] = {Kind::User, roster.users.back(), "", roster.users.back().name};
  localUser_ = roster.localUser = roster.channels[0].users[0].name;
  client_ = std::make_unique<standin::StandinClient>(roster);
}

std::string RosterModel::Pick(Kind kind) const {
  std::vector<const std::string*> names;
  for (const auto& [name, node] : nodes_) {
    if (node.kind == kind)
      names.push_back(&name);
  }
  if (names.empty())
    return "";
  return *names[std::uniform_int_distribution<std::size_t>(0, names.size() - 1)(random_)];
}

std::string RosterModel::PickContainer() const {
  return std::uniform_int_distribution(0, 3)(random_) == 0 ? "" : Pick(Kind::Channel);
}

std::string RosterModel::PickAny() const {
  auto at = nodes_.begin();
  std::advance(at, std::uniform_int_distribution<std::size_t>(0, nodes_.size() - 1)(random_));
  return at->first;
}

bool RosterModel::Within(const std::string& name, const std::string& ancestor) const {
  for (std::string at = name;; at = nodes_.at(at).parent) {
    if (at == ancestor)
      return true;
    if (at.empty())
      return false;
  }
}

std::string RosterModel::FreshName(Kind kind) {
  if (kind == Kind::User && std::uniform_int_distribution(0, 3)(random_) == 0) {
    const std::string name =
        kTrickyNames[std::uniform_int_distribution<std::size_t>(0, std::size(kTrickyNames) - 1)(random_)];
    if (!nodes_.contains(name))
      return name;
  }
  return (kind == Kind::Channel  ? "Chan"
          : kind == Kind::Server ? "Hall"
                                 : "User") +
         tag_ + "n" + std::to_string(++counter_);
}

std::string RosterModel::Letters() {
  std::string letters;
  for (const char letter : std::string("ACNGMTWSP")) {
    if (std::uniform_int_distribution(0, letter == 'P' ? 15 : 3)(random_) == 0)
      letters += letter;
  }
  return letters;
}

standin::Entry RosterModel::FreshEntry(Kind kind) {
  standin::Entry entry;
  entry.name = FreshName(kind);
  const auto pick = [this](const auto& table) {
    return table[std::uniform_int_distribution<std::size_t>(0, std::size(table) - 1)(random_)];
  };
  entry.pronunciation = pick(kWords);
  entry.comment = pick(kWords);
  entry.commentURL = pick(kWords);
  entry.rank = pick(kRanks);
  entry.rankID = static_cast<std::uint16_t>(std::uniform_int_distribution(0, 3)(random_) == 0 ? 0xFFFF : counter_);
  if (kind == Kind::User) {
    entry.flags = Letters();
    entry.suffix = pick(kSuffixes);
  }
  return entry;
}

// Another spelling of the node's base name that sorts in the same place: the
// letters' case folds away in the order, and "-" sorts before every digit
// that could follow the base in a sibling's name. Names stay unique, as the
// client's are: "" when every spelling tried is taken.
std::string RosterModel::Variant(const Node& node) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::string name = node.base;
    for (char& c : name) {
      if (std::isalpha(static_cast<unsigned char>(c)) && std::uniform_int_distribution(0, 1)(random_))
        c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    }
    name += std::string(std::uniform_int_distribution(0, 2)(random_), '-');
    if (name != node.entry.name && !nodes_.contains(name))
      return name;
  }
  return "";
}

void RosterModel::Rename(const std::string& name, const std::string& newName) {
  client_->Rename(name, newName);
  Node node = nodes_.at(name);
  node.entry.name = newName;
  if (name.empty()) {
    nodes_[""] = node;
    return;
  }
  nodes_.erase(name);
  for (auto& [other, child] : nodes_) {
    if (child.parent == name)
      child.parent = newName;
  }
  nodes_[newName] = node;
}

void RosterModel::RemoveSubtree(const std::string& name) {
  std::vector<std::string> doomed;
  for (const auto& [other, node] : nodes_) {
    if (!other.empty() && Within(other, name))
      doomed.push_back(other);
  }
  for (const std::string& each : doomed)
    nodes_.erase(each);
}

std::string RosterModel::Join() {
  const std::string parent = PickContainer();
  const standin::Entry entry = FreshEntry(Kind::User);
  client_->AddUser(parent, entry);
  nodes_[entry.name] = {Kind::User, entry, parent, entry.name};
  return "join " + entry.name + " in '" + parent + "'";
}

std::string RosterModel::Leave() {
  const std::string user = Pick(Kind::User);
  if (user.empty())
    return "";
  client_->Remove(user);
  nodes_.erase(user);
  return "leave " + user;
}

std::string RosterModel::Move(Kind kind) {
  const std::string name = Pick(kind);
  const std::string target = PickContainer();
  if (name.empty() || nodes_.at(name).parent == target || Within(target, name))
    return "";
  client_->Move(name, target);
  nodes_.at(name).parent = target;
  return "move " + name + " -> '" + target + "'";
}

std::string RosterModel::RenameOne(Kind kind) {
  const std::string name = kind == Kind::Server ? "" : Pick(kind);
  if (kind != Kind::Server && name.empty())
    return "";
  const Node& node = nodes_.at(name);
  std::string newName = Variant(node);
  if (kind != Kind::Server && std::uniform_int_distribution(0, 1)(random_) == 0) {
    newName = FreshName(kind);
    nodes_.at(name).base = newName;
  }
  if (newName.empty())
    return "";
  const std::string old = node.entry.name;
  Rename(name, newName);
  return "rename " + old + " -> " + newName;
}

std::string RosterModel::AddChannel() {
  const std::string parent = PickContainer();
  standin::Channel channel{FreshEntry(Kind::Channel), {}, {}};
  nodes_[channel.entry.name] = {Kind::Channel, channel.entry, parent, channel.entry.name};
  for (int u = std::uniform_int_distribution(0, 2)(random_); u > 0; --u) {
    channel.users.push_back(FreshEntry(Kind::User));
    nodes_[channel.users.back().name] = {Kind::User, channel.users.back(), channel.entry.name,
                                         channel.users.back().name};
  }
  if (std::uniform_int_distribution(0, 2)(random_) == 0) {
    channel.channels.push_back({FreshEntry(Kind::Channel), {FreshEntry(Kind::User)}, {}});
    const standin::Channel& sub = channel.channels.back();
    nodes_[sub.entry.name] = {Kind::Channel, sub.entry, channel.entry.name, sub.entry.name};
    nodes_[sub.users[0].name] = {Kind::User, sub.users[0], sub.entry.name, sub.users[0].name};
  }
  client_->AddChannel(parent, channel);
  return "add channel " + channel.entry.name + " in '" + parent + "'";
}

std::string RosterModel::Attribute() {
  const std::string name = PickAny();
  Node& node = nodes_.at(name);
  standin::Entry& entry = node.entry;
  const standin::Entry fresh = FreshEntry(Kind::User);
  switch (std::uniform_int_distribution(0, 6)(random_)) {
    case 0:
      entry.flags = Letters();
      client_->SetFlags(name, entry.flags);
      return "flags of " + entry.name + " = " + entry.flags;
    case 1:
      entry.rank = fresh.rank;
      entry.rankID = fresh.rankID;
      client_->SetRank(name, entry.rank, entry.rankID);
      return "rank of " + entry.name + " = " + entry.rank + " " + std::to_string(entry.rankID);
    case 2:
      entry.comment = fresh.comment;
      client_->SetComment(name, entry.comment, entry.commentURL);
      return "comment of " + entry.name + " = " + entry.comment;
    case 3:
      entry.commentURL = fresh.commentURL;
      client_->SetComment(name, entry.comment, entry.commentURL);
      return "URL of " + entry.name + " = " + entry.commentURL;
    case 4:
      entry.pronunciation = fresh.pronunciation;
      client_->SetPronunciation(name, entry.pronunciation);
      return "pronunciation of " + entry.name + " = " + entry.pronunciation;
    case 5:
      entry.suffix = fresh.suffix;
      client_->SetSuffix(name, entry.suffix);
      return "suffix of " + entry.name + " = " + entry.suffix;
    default: {
      if (node.kind == Kind::Server)
        return "";
      const auto& icons = node.kind == Kind::User
                              ? std::vector<int>(std::begin(kUserIcons), std::end(kUserIcons))
                              : std::vector<int>(std::begin(kChannelIcons), std::end(kChannelIcons));
      entry.icon = icons[std::uniform_int_distribution<std::size_t>(0, icons.size() - 1)(random_)];
      client_->SetIcon(name, entry.icon);
      return "icon of " + entry.name + " = " + std::to_string(entry.icon);
    }
  }
}

std::string RosterModel::Link() {
  connected_ = !connected_;
  if (connected_)
    client_->Reconnect();
  else
    client_->Disconnect();
  return connected_ ? "reconnect" : "disconnect";
}

std::string RosterModel::OwnUser() {
  switch (std::uniform_int_distribution(0, 5)(random_)) {
    case 0:
      localUser_ = "";
      break;
    case 1:
      localUser_ = "Nobody";
      break;
    case 2:
      localUser_ = Pick(Kind::Channel);
      break;
    default:
      localUser_ = Pick(Kind::User);
      break;
  }
  client_->SetLocalUser(localUser_);
  return "own user = '" + localUser_ + "'";
}

std::string RosterModel::Selection() {
  const std::string name = PickAny();
  client_->Select(name);
  return "select '" + name + "'";
}

standin::Channel RosterModel::Contents(const std::string& name) const {
  standin::Channel contents{nodes_.at(name).entry, {}, {}};
  for (const auto& [child, node] : nodes_) {
    if (node.kind == Kind::Server || node.parent != name)
      continue;
    if (node.kind == Kind::User)
      contents.users.push_back(node.entry);
    else
      contents.channels.push_back(Contents(child));
  }
  return contents;
}

// The new process has new records for every item, so every element of the
// old instance leaves with it, and the new instance starts afresh, online.
std::string RosterModel::Restart() {
  standin::Channel top = Contents("");
  standin::Roster roster{top.entry, std::move(top.users), std::move(top.channels), localUser_};
  // Started before the old one exits, so that it has another process id.
  client_ = std::make_unique<standin::StandinClient>(roster);
  connected_ = true;
  ++restarts_;
  return "restart";
}

std::string RosterModel::Mutate() {
  std::size_t users = 0;
  std::size_t channels = 0;
  for (const auto& [name, node] : nodes_) {
    users += node.kind == Kind::User;
    channels += node.kind == Kind::Channel;
  }
  for (;;) {
    std::string done;
    switch (std::uniform_int_distribution(0, 15)(random_)) {
      case 0:
      case 1:
        done = users < kMostUsers ? Join() : Leave();
        break;
      case 2:
      case 3:
        done = users > 2 ? Leave() : Join();
        break;
      case 4:
        done = Move(Kind::User);
        break;
      case 5:
        done = Move(Kind::Channel);
        break;
      case 6:
        done = RenameOne(Kind::User);
        break;
      case 7:
        done = RenameOne(Kind::Channel);
        break;
      case 8:
        done = RenameOne(Kind::Server);
        break;
      case 9:
        done = channels < kMostChannels ? AddChannel() : "";
        break;
      case 10: {
        const std::string channel = channels > 1 ? Pick(Kind::Channel) : "";
        if (!channel.empty()) {
          client_->Remove(channel);
          RemoveSubtree(channel);
          done = "remove channel " + channel;
        }
        break;
      }
      case 11:
        if (std::uniform_int_distribution(0, connected_ ? 7 : 1)(random_) == 0)
          done = Link();
        else if (std::uniform_int_distribution(0, 15)(random_) == 0)
          done = Restart();
        break;
      case 12:
        done = OwnUser();
        break;
      case 13:
        done = Selection();
        break;
      default:
        done = Attribute();
        break;
    }
    if (done.empty())
      continue;
    return done;
  }
}

TreeExpectation RosterModel::Expect() {
  TreeExpectation expected;
  if (!connected_)
    return expected;
  expected.online = true;
  const HTREEITEM selected = sim::TreeSelection(client_->TreeView());
  for (const auto& [name, node] : nodes_) {
    const std::uint32_t key = client_->Record(name);
    TreeExpectation::Element& element = expected.elements[key];
    element.kind = node.kind;
    element.parent = node.kind == Kind::Server ? 0 : client_->Record(node.parent);
    TreeItemInfo& values = element.values;
    const standin::Entry& entry = node.entry;
    values.displayText = standin::DisplayText(entry);
    values.iconID = ImageOf(node.kind, entry.icon);
    values.name = entry.name;
    values.pronunciation = entry.pronunciation;
    values.comment = entry.comment;
    values.commentURL = entry.commentURL;
    values.rankID = entry.rankID;
    values.rank = entry.rank;
    values.flags = FlagsOfLetters(entry.flags);
    expected.visits[key] = {{values, element.parent}};
    if (node.kind == Kind::User && name == localUser_ && !(values.flags & 0x100))
      expected.me = key;
    if (selected && client_->Item(name) == selected)
      expected.selection = key;
  }
  return expected;
}
