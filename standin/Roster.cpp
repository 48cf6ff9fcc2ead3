#include "standin/Roster.h"

#include <utility>

namespace standin {

std::string DisplayText(const Entry& entry) {
  std::string text;
  const auto append = [&text](const std::string& part) {
    if (part.empty())
      return;
    if (!text.empty())
      text += ' ';
    text += part;
  };
  if (!entry.flags.empty())
    append('"' + entry.flags + '"');
  append(entry.rank);
  append(entry.name);
  append(entry.suffix);
  return text;
}

Entry MakeUser(const std::string& name, const std::string& flags, const std::string& rank, std::uint16_t rankID) {
  Entry user;
  user.name = name;
  user.flags = flags;
  user.rank = rank;
  user.rankID = rankID;
  return user;
}

Channel MakeChannel(const std::string& name, std::vector<Entry> users, std::vector<Channel> channels) {
  Channel channel;
  channel.entry.name = name;
  channel.users = std::move(users);
  channel.channels = std::move(channels);
  return channel;
}

namespace {

// Every text of the record is filled, so that a reader of the roster pays for
// four string reads per item, as it would against a busy server.
Entry MakeEntry(const std::string& name, int number) {
  Entry entry;
  entry.name = name;
  entry.pronunciation = name + " spoken";
  entry.comment = "Comment of " + name;
  entry.commentURL = "http://example.com/" + name;
  entry.rankID = static_cast<std::uint16_t>(number % 4);
  if (entry.rankID != 0)
    entry.rank = "Rank" + std::to_string(entry.rankID);
  return entry;
}

}  // namespace

Roster MakeLargeRoster(int users, int channels) {
  Roster roster;
  roster.server = MakeEntry("Chorister Test Server", 0);
  for (int c = 1; c <= channels; ++c)
    roster.channels.push_back(Channel{MakeEntry("Channel" + std::to_string(c), c), {}, {}});
  for (int u = 1; u <= users; ++u) {
    Entry user = MakeEntry("User" + std::to_string(u), u);
    if (u % 5 == 0)
      user.flags = "AM";
    if (channels > 0)
      roster.channels[static_cast<std::size_t>((u - 1) % channels)].users.push_back(std::move(user));
    else
      roster.users.push_back(std::move(user));
  }
  roster.localUser = "User1";
  return roster;
}

}  // namespace standin
