#include "StandinFixture.h"

standin::Entry StandinFixture::Named(const std::string& name, int icon) {
  standin::Entry entry;
  entry.name = name;
  entry.icon = icon;
  return entry;
}

standin::Roster StandinFixture::SampleRoster() {
  standin::Roster roster;
  roster.server.name = "Chorister Server";
  roster.server.comment = "Welcome";
  standin::Entry lurker = Named("Lurker");
  lurker.rank = "[Guest]";
  roster.users.push_back(lurker);

  standin::Entry bob{"Bob", "Bobby", "brb", "http://bob.example", "Officer", 7, "AM", "(away)", -1};
  const standin::Entry alice = Named("Alice", 3);
  standin::Channel deep{Named("Deep"), {}, {}};
  standin::Channel quiet{Named("Quiet", 4), {Named("Carol")}, {deep}};
  roster.channels.push_back(standin::Channel{Named("Lobby"), {bob, alice}, {quiet}});
  roster.channels.push_back(standin::Channel{Named("Games"), {}, {}});
  roster.localUser = "Alice";
  return roster;
}

void StandinFixture::SetUp() {
  sim::ResetDesktop();
  client = std::make_unique<standin::StandinClient>(SampleRoster());
}

void StandinFixture::TearDown() {
  client.reset();
  sim::ResetDesktop();
}

std::vector<StandinFixture::Item> StandinFixture::Tree() const {
  const standin::ClientProbe probe(client->ProcessId());
  return probe.ReadTree(client->TreeView());
}

StandinFixture::Item StandinFixture::Shown(const std::string& name) const {
  for (const Item& item : Tree()) {
    if (item.name == name)
      return item;
  }
  return Item{};
}

std::map<std::string, std::vector<std::string>> StandinFixture::Layout() const {
  std::map<HTREEITEM, std::string> names;
  std::map<std::string, std::vector<std::string>> layout;
  for (const Item& item : Tree()) {
    names[item.handle] = item.name;
    layout[!item.parent ? "(top)" : names[item.parent]].push_back(item.name);
  }
  return layout;
}
