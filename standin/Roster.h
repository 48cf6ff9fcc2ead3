// What a stand-in client shows: its server, channels nested to any depth, and
// users, with every attribute the client keeps for an item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// One item's attributes as the client keeps them in its per-item record.
struct Entry {
  std::string name;
  std::string pronunciation;
  std::string comment;
  std::string commentURL;
  std::string rank;  // drawn before the name, e.g. "Officer" or "[Guest]"
  std::uint16_t rankID = 0;
  std::string flags;   // flag letters drawn in quotes before the rank, e.g. "AM"
  std::string suffix;  // drawn after the name, e.g. "(away)"
  int icon = -1;       // image index; -1 picks the kind's default (server 0, channel 1, user 2)
};

struct Channel {
  Entry entry;
  std::vector<Entry> users;
  std::vector<Channel> channels;
};

struct Roster {
  Entry server;                   // the root item
  std::vector<Entry> users;       // users directly under the server
  std::vector<Channel> channels;  // channels directly under the server
  std::string localUser;          // the text of the client's user-name combo box
};

// The display text the client draws for an item:
//   "<flags>" <rank> <name> <suffix>   with the empty parts and their spaces left out.
std::string DisplayText(const Entry& entry);

// Builders for rosters written out by hand: a user with its flag letters and
// rank, and a channel with its users and sub-channels.
Entry MakeUser(const std::string& name, const std::string& flags = "", const std::string& rank = "",
               std::uint16_t rankID = 0);
Channel MakeChannel(const std::string& name, std::vector<Entry> users, std::vector<Channel> channels = {});

// A roster of `users` users spread evenly over `channels` channels under one
// server, named "User1".., "Channel1"..; the local user is "User1".
Roster MakeLargeRoster(int users, int channels);

}  // namespace standin
