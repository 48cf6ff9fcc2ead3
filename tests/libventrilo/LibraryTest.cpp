#include "tests/libventrilo/LibraryTest.h"

#include <cstring>

namespace {

standin::Entry Named(const std::string& name, int icon = -1) {
  standin::Entry entry;
  entry.name = name;
  entry.icon = icon;
  return entry;
}

}  // namespace

standin::Roster LibraryTest::SmallRoster() {
  standin::Roster roster;
  roster.server = Named("Lodge");
  standin::Entry alice = Named("Alice");
  alice.rank = "Owner";
  alice.rankID = 0xFFFF;
  alice.flags = "A";
  roster.users.push_back(alice);
  standin::Entry bob = Named("Bob");
  bob.pronunciation = "Bobby";
  bob.comment = "afk";
  bob.commentURL = "http://bob.example";
  bob.rank = "Officer";
  bob.rankID = 7;
  bob.flags = "AM";
  bob.suffix = "(away)";
  standin::Channel lobby;
  lobby.entry = Named("Lobby");
  lobby.users = {bob, Named("Carol")};
  standin::Channel chess;
  chess.entry = Named("Chess", 4);
  chess.users = {Named("Dave", 3)};
  standin::Channel games;
  games.entry = Named("Games");
  games.channels = {chess};
  roster.channels = {lobby, games};
  roster.localUser = "Bob";
  return roster;
}

Held<Ventrilo> LibraryTest::InstanceOf(const standin::StandinClient& client) {
  Ventrilo* instance = new Ventrilo(client.ProcessId(), client.Window());
  instance->AddRef();
  return Held<Ventrilo>(instance);
}

Held<ISnapshot> LibraryTest::Capture(IVentrilo* instance) {
  Held<ISnapshot> snapshot;
  EXPECT_TRUE(instance->TakeSnapshot(snapshot.Out()));
  return snapshot;
}

IServer* LibraryTest::ServerOf(ISnapshot* snapshot) {
  IServer* server = nullptr;
  EXPECT_TRUE(snapshot->GetServer(&server));
  return server;
}

std::uint32_t LibraryTest::MakeRecord(standin::StandinClient& client, const std::string& name) {
  const DWORD process = client.ProcessId();
  unsigned char record[standin::kRecordSize] = {};
  const std::uint32_t strings[4] = {client.AllocateString(name), standin::kEmptyStringAddress,
                                    standin::kEmptyStringAddress, standin::kEmptyStringAddress};
  std::memcpy(record + 0x88, strings, sizeof strings);
  const std::uint32_t address = sim::Allocate(process, standin::kRecordSize);
  sim::Write(process, address, record, standin::kRecordSize);
  return address;
}

HTREEITEM LibraryTest::InsertItem(standin::StandinClient& client, HTREEITEM parent, const std::string& name, int image,
                                  const std::string& text) {
  const sim::TreeItemData data{text.empty() ? name : text, image, MakeRecord(client, name)};
  HTREEITEM item = nullptr;
  sim::RunOnWindowThread(client.ProcessId(),
                         [&] { item = sim::TreeInsert(client.TreeView(), parent, TVI_LAST, data); });
  return item;
}
