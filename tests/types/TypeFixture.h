// A live module with stand-in clients, driven as a script host drives the
// module's types: objects come from the bound "Ventrilo" resolver, members and
// methods are asked for by name on the object's own type, so a server object's
// Name travels ventriloserver -> ventrilochannel -> ventriloelement.
#pragma once

#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"
#include "tests/support/ModuleFixture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TypeFixture : public ModuleFixture {
 protected:
  using Args = std::vector<const char*>;

  // Server "Chorister"; Dave on its top level; Lobby with Alice (the local
  // user, an admin officer with every text set) and Bob; Games with the
  // sub-channel Chess holding Carol. Pre-order: Chorister, Dave, Games, Chess,
  // Carol, Lobby, Alice, Bob.
  static standin::Roster SmallRoster();
  static standin::Entry Named(const std::string& name, const std::string& flags = "");

  // Starts a client and settles until its first snapshot has been applied.
  standin::StandinClient& StartClient(const standin::Roster& roster = SmallRoster());

  // "Ventrilo" alone; fails the test when it does not resolve.
  ObjectRef Ventrilo();
  // Ventrilo[index]: the resolver's result, `out` filled on success.
  bool Index(const std::string& index, ObjectRef* out);
  // The element named `name` in the oldest instance's tree, found by walking
  // Instances.Children and WalkTree; fails the test when absent.
  ObjectRef Element(const std::string& name);

  // GetMember / CallMethod by name on the object's own type: 1, 0 or -1.
  int Get(const ObjectRef& object, const char* member, const Args& args, ObjectRef* out);
  int Call(ObjectRef& object, const char* method, const Args& args = {});
  // A member that must succeed: its result.
  ObjectRef Member(const ObjectRef& object, const char* member, const Args& args = {});
  // A "string" member's text, a "uint" or "bool" member's word.
  std::string Text(const ObjectRef& object, const char* member, const Args& args = {});
  std::uintptr_t Word(const ObjectRef& object, const char* member);
  // The object's ToText into a buffer of `size` bytes ("<failed>" on false).
  static std::string ToText(const ObjectRef& object, std::uint32_t size = 256);
  static std::string TypeName(const ObjectRef& object);

  // The messages by which the module acts on a client's tree view (select an
  // item, press Enter), recorded since sim::StartRecording. The polling
  // thread's reading of the tree is left out.
  static std::vector<sim::CallRecord> TakeActions(HWND treeView);

  std::vector<std::unique_ptr<standin::StandinClient>> clients;
};
