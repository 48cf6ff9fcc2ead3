#include "tests/types/TypeFixture.h"

standin::Entry TypeFixture::Named(const std::string& name, const std::string& flags) {
  standin::Entry entry;
  entry.name = name;
  entry.flags = flags;
  return entry;
}

standin::Roster TypeFixture::SmallRoster() {
  standin::Entry alice = Named("Alice", "A");
  alice.pronunciation = "Al-iss";
  alice.comment = "brb";
  alice.commentURL = "http://example.org/alice";
  alice.rank = "Officer";
  alice.rankID = 3;
  standin::Channel lobby;
  lobby.entry = Named("Lobby");
  lobby.users = {alice, Named("Bob")};
  standin::Channel chess;
  chess.entry = Named("Chess");
  chess.users = {Named("Carol")};
  standin::Channel games;
  games.entry = Named("Games");
  games.channels = {chess};

  standin::Roster roster;
  roster.server = Named("Chorister");
  roster.users = {Named("Dave")};
  roster.channels = {lobby, games};
  roster.localUser = "Alice";
  return roster;
}

standin::StandinClient& TypeFixture::StartClient(const standin::Roster& roster) {
  clients.push_back(std::make_unique<standin::StandinClient>(roster));
  // The first pulse opens the instance, the next applies its first snapshot.
  Settle();
  Settle();
  return *clients.back();
}

ObjectRef TypeFixture::Ventrilo() {
  ObjectRef object{nullptr, 0};
  EXPECT_TRUE(host->ResolveGlobal("Ventrilo", {}, &object));
  return object;
}

bool TypeFixture::Index(const std::string& index, ObjectRef* out) {
  return host->ResolveGlobal("Ventrilo", {index}, out);
}

ObjectRef TypeFixture::Element(const std::string& name) {
  ObjectRef instance = Member(Ventrilo(), "Instances");
  ObjectRef element{nullptr, 0};
  for (int found = Get(instance, "Children", {}, &element); found == 1;
       found = Get(element, "WalkTree", {}, &element)) {
    if (Text(element, "Name") == name)
      return element;
  }
  ADD_FAILURE() << "no element named " << name;
  return ObjectRef{nullptr, 0};
}

int TypeFixture::Get(const ObjectRef& object, const char* member, const Args& args, ObjectRef* out) {
  if (!object.Type) {
    ADD_FAILURE() << "no object to ask for " << member;
    return -2;
  }
  return object.Type->GetMember(object.Data, member, static_cast<int>(args.size()),
                                args.empty() ? nullptr : args.data(), out);
}

int TypeFixture::Call(ObjectRef& object, const char* method, const Args& args) {
  if (!object.Type) {
    ADD_FAILURE() << "no object to call " << method << " on";
    return -2;
  }
  return object.Type->CallMethod(object.Data, method, static_cast<int>(args.size()),
                                 args.empty() ? nullptr : args.data());
}

ObjectRef TypeFixture::Member(const ObjectRef& object, const char* member, const Args& args) {
  ObjectRef out{nullptr, 0};
  EXPECT_EQ(Get(object, member, args, &out), 1) << member << " of " << ToText(object);
  return out;
}

std::string TypeFixture::Text(const ObjectRef& object, const char* member, const Args& args) {
  const ObjectRef out = Member(object, member, args);
  EXPECT_EQ(out.Type, host->StringType()) << member;
  return out.Type == host->StringType() && out.Data != 0 ? reinterpret_cast<const char*>(out.Data) : "";
}

std::uintptr_t TypeFixture::Word(const ObjectRef& object, const char* member) {
  const ObjectRef out = Member(object, member);
  EXPECT_TRUE(out.Type == host->UIntType() || out.Type == host->BoolType()) << member;
  return out.Data;
}

std::string TypeFixture::ToText(const ObjectRef& object, std::uint32_t size) {
  std::vector<char> buffer(size + 1, '#');
  if (!object.Type || !object.Type->ToText(object.Data, buffer.data(), size))
    return "<failed>";
  return buffer.data();
}

std::string TypeFixture::TypeName(const ObjectRef& object) { return object.Type ? object.Type->GetName() : "<none>"; }

std::vector<sim::CallRecord> TypeFixture::TakeActions(HWND treeView) {
  std::vector<sim::CallRecord> actions;
  for (const sim::CallRecord& record : sim::TakeRecords()) {
    const bool acts = record.message == TVM_SELECTITEM || record.message == WM_KEYDOWN || record.message == WM_KEYUP;
    if (record.call == sim::Call::SendMessage && record.window == treeView && acts)
      actions.push_back(record);
  }
  return actions;
}
