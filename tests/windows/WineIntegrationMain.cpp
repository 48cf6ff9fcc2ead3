// The module against a real Win32 client: this host loads chorister.dll, starts
// the stand-in client as its own process, and checks that the module finds the
// client's window, reads its tree view across processes, and raises the events
// of a user joining, moving, changing flags, being renamed and leaving, and of
// the client disconnecting and exiting; and that Join from a script moves the
// client's local user. It prints one line per check and closes with
// "N passed, M failed"; the exit code is 0 only when everything passed.
//
//   wine_test_host.exe <standin_client.exe> <chorister.dll>
#include "tests/windows/BoxDismisser.h"
#include "tests/windows/ModuleLibrary.h"
#include "tests/windows/StandinProcess.h"
#include "tests/windows/WineScriptHost.h"

#include <cstdio>
#include <functional>
#include <string>

namespace {

// How long the module may take to show a change: the client answers each
// cross-process tree-view message in about a millisecond under Wine, and a
// polling cycle reads a dozen items, so this is generous.
constexpr DWORD kChangeTimeoutMs = 20000;

class Report {
 public:
  bool Expect(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    std::fflush(stdout);
    (ok ? passed_ : failed_)++;
    return ok;
  }
  int Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    return failed_ == 0 && passed_ > 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

// The host's side of the module while it runs: pulses as a host's main loop
// does, and finds what the module reported.
class Session {
 public:
  Session(QSModuleInterface* module, WineScriptHost& host) : module_(module), host_(host) {}

  // Pulses until `done` holds or the time-out passes; the pause between pulses
  // is a host's pulse cadence.
  bool PulseUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
      module_->Pulse();
      if (done())
        return true;
      if (GetTickCount() - start > kChangeTimeoutMs)
        return false;
      Sleep(5);
    }
  }

  // The index of the first event `name` about `context` ("" for any) at or
  // after `from`; -1 when there is none.
  int Find(const std::string& name, const std::string& context, std::size_t from) const {
    const auto& events = host_.Events();
    for (std::size_t i = from; i < events.size(); ++i) {
      if (events[i].name == name && (context.empty() || events[i].contextName == context))
        return int(i);
    }
    return -1;
  }

  bool AwaitEvent(const std::string& name, const std::string& context, std::size_t from) {
    return PulseUntil([&] { return Find(name, context, from) >= 0; });
  }

  const FiredEvent& At(int index) const { return host_.Events()[index]; }
  std::size_t Mark() const { return host_.Events().size(); }

  // Ventrilo[id]: the live element with that id.
  bool Element(std::uint32_t id, ObjectRef* out) const {
    const GlobalObjectResolver resolver = host_.Resolver("Ventrilo");
    const std::string index = std::to_string(id);
    const char* arguments[] = {index.c_str()};
    return resolver != nullptr && resolver(1, arguments, out);
  }

 private:
  QSModuleInterface* module_;
  WineScriptHost& host_;
};

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  for (const auto& line : lines) {
    if (line.find(text) != std::string::npos)
      return true;
  }
  return false;
}

void Scenario(Report& report, StandinProcess& client, QSModuleInterface* module, WineScriptHost& host) {
  Session session(module, host);

  // Discovery: the whole tree shows up, the instance first.
  std::size_t mark = session.Mark();
  if (!report.Expect(session.AwaitEvent("Ventrilo.OnJoinedParent", "Bob", mark),
                     "the module finds the client window and reads its tree"))
    return;
  const int opened = session.Find("Ventrilo.OnInstanceOpened", "", mark);
  const int online = session.Find("Ventrilo.OnOnline", "", mark);
  const int raidJoined = session.Find("Ventrilo.OnJoinedInstance", "Raid", mark);
  const int bob = session.Find("Ventrilo.OnJoinedParent", "Bob", mark);
  report.Expect(opened >= 0 && online > opened && session.At(opened).contextType == "ventriloinstance",
                "the instance opens, then goes online");
  report.Expect(session.At(bob).contextType == "ventrilouser" && session.At(bob).parentName == "Lobby",
                "a user is shown under its channel, with the name read from the client's record");
  report.Expect(raidJoined >= 0 && session.At(raidJoined).contextType == "ventrilochannel", "channels are seen");
  if (opened < 0 || raidJoined < 0)
    return;
  const std::uint32_t instanceID = session.At(opened).contextID;
  const std::uint32_t raidID = session.At(raidJoined).contextID;
  ObjectRef instance{};
  ObjectRef me{};
  report.Expect(session.Element(instanceID, &instance) && WineScriptHost::Member(instance, "Me", &me) &&
                    WineScriptHost::TextMember(me, "Name") == "Me",
                "the local user is found by the name in the client's combo box");

  // A user joins.
  mark = session.Mark();
  client.Command("user Lobby Alice");
  report.Expect(session.AwaitEvent("Ventrilo.OnJoinedParent", "Alice", mark), "join: Alice joins the parent");
  const int aliceCreated = session.Find("Ventrilo.OnJoinedInstance", "Alice", mark);
  if (!report.Expect(aliceCreated >= 0 && session.At(aliceCreated).parentName == "Lobby",
                     "join: Alice's element is created under Lobby"))
    return;
  const std::uint32_t aliceID = session.At(aliceCreated).contextID;

  // The user moves: the same element leaves one parent and joins the other.
  mark = session.Mark();
  client.Command("move Alice Raid");
  const bool moved = session.PulseUntil([&] {
    const int joined = session.Find("Ventrilo.OnJoinedParent", "Alice", mark);
    return joined >= 0 && session.At(joined).parentName == "Raid";
  });
  const int left = session.Find("Ventrilo.OnLeavingParent", "Alice", mark);
  report.Expect(moved && left >= 0 && session.At(left).parentName == "Lobby" &&
                    session.At(left).contextID == aliceID && session.Find("Ventrilo.OnLeavingInstance", "", mark) < 0,
                "move: Alice leaves Lobby and joins Raid as the same element");

  // The user's flags change: the previous flags come as the argument.
  mark = session.Mark();
  client.Command("flags Alice AM");
  const bool flagged = session.AwaitEvent("Ventrilo.OnFlagsChanged", "Alice", mark);
  ObjectRef alice{};
  ObjectRef flags{};
  report.Expect(flagged && session.At(session.Find("Ventrilo.OnFlagsChanged", "Alice", mark)).arguments ==
                               std::vector<std::string>{"0"},
                "flags: the change is raised with the previous flags");
  report.Expect(session.Element(aliceID, &alice) && WineScriptHost::Member(alice, "Flags", &flags) &&
                    flags.Data == 0x11,
                "flags: Alice reads as admin and locally muted");

  // The user leaves.
  mark = session.Mark();
  client.Command("remove Alice");
  report.Expect(session.AwaitEvent("Ventrilo.OnLeavingInstance", "Alice", mark) && !session.Element(aliceID, &alice),
                "leave: Alice's element is destroyed and no longer resolves");

  // Join from the host moves the client's own user.
  mark = session.Mark();
  ObjectRef raid{};
  int joinResult = 0;
  if (session.Element(raidID, &raid))
    joinResult = raid.Type->CallMethod(raid.Data, "Join", 0, nullptr);
  report.Expect(joinResult == 1, "Join on the Raid channel succeeds");
  const bool meMoved = session.PulseUntil([&] {
    const int joined = session.Find("Ventrilo.OnJoinedParent", "Me", mark);
    return joined >= 0 && session.At(joined).parentName == "Raid";
  });
  report.Expect(meMoved && client.Command("where Me") == "ok Raid", "Join: the client moved its local user to Raid");
  ObjectRef selection{};
  report.Expect(WineScriptHost::Member(instance, "Selection", &selection) &&
                    WineScriptHost::TextMember(selection, "Name") == "Raid",
                "Join: the joined channel is the client's selection");

  // A rename writes a new name string into the same record: same element, new name.
  mark = session.Mark();
  client.Command("rename Bob Robert");
  const bool renamed = session.AwaitEvent("Ventrilo.OnNameChanged", "Robert", mark);
  report.Expect(renamed && session.At(session.Find("Ventrilo.OnNameChanged", "Robert", mark)).contextID ==
                               session.At(bob).contextID,
                "rename: Bob's element is renamed Robert");

  // The client disconnects: the tree leaves, then the instance goes offline.
  mark = session.Mark();
  client.Command("disconnect");
  const bool offline = session.AwaitEvent("Ventrilo.OnOffline", "", mark);
  const int robertLeft = session.Find("Ventrilo.OnLeavingInstance", "Robert", mark);
  report.Expect(offline && robertLeft >= 0 && robertLeft < session.Find("Ventrilo.OnOffline", "", mark),
                "disconnect: the users leave, then the instance goes offline");

  // The client exits: its instance closes.
  mark = session.Mark();
  client.Command("exit");
  report.Expect(client.WaitForExit(kChangeTimeoutMs), "the client exits");
  const bool closed = session.AwaitEvent("Ventrilo.OnInstanceClosed", "", mark);
  report.Expect(closed && session.At(session.Find("Ventrilo.OnInstanceClosed", "", mark)).contextID == instanceID,
                "exit: the instance that opened closes");
}

// A host that frees the library without calling Shutdown: the detach
// notification stops the polling thread under the loader lock, and FreeLibrary
// must return. It runs on a thread of its own so that a hang fails the check.
void UnloadWithoutShutdown(Report& report, const char* dllPath) {
  WineScriptHost host;
  ModuleLibrary library(dllPath);
  QSModuleInterface* module = library.Loaded() ? library.Factory()(kQSModuleInterfaceVersion) : nullptr;
  if (!report.Expect(module != nullptr && module->Initialize(&host), "the DLL loads again and initialises"))
    return;
  auto unload = [](LPVOID loaded) -> DWORD {
    static_cast<ModuleLibrary*>(loaded)->Unload();
    return 0;
  };
  HANDLE unloader = CreateThread(nullptr, 0, unload, &library, 0, nullptr);
  const bool returned = unloader != nullptr && WaitForSingleObject(unloader, kChangeTimeoutMs) == WAIT_OBJECT_0;
  if (unloader != nullptr)
    CloseHandle(unloader);
  if (!report.Expect(returned, "FreeLibrary without Shutdown returns")) {
    report.Finish();
    TerminateProcess(GetCurrentProcess(), 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <standin_client.exe> <chorister.dll>\n", argv[0]);
    return 2;
  }
  Report report;
  StandinProcess client(argv[1]);
  if (!report.Expect(client.Ok(), "the stand-in client starts"))
    return report.Finish();
  bool built = true;
  for (const char* command :
       {"server Chorister", "local Me", "channel - Lobby", "channel - Raid", "user Lobby Me", "user Lobby Bob"})
    built = client.Command(command) == "ok" && built;
  report.Expect(built, "the client shows a server, two channels and two users");

  ModuleLibrary library(argv[2]);
  if (!report.Expect(library.Loaded() && library.Factory() != nullptr && library.Version() != nullptr,
                     "the DLL loads and exports CreateQSModuleInterface and QSModule_Version"))
    return report.Finish();
  report.Expect(*library.Version() == kQSModuleInterfaceVersion, "QSModule_Version is 23");
  QSModuleInterface* module = library.Factory()(kQSModuleInterfaceVersion);
  if (!report.Expect(module != nullptr, "CreateQSModuleInterface(23) gives the module"))
    return report.Finish();
  report.Expect(library.Factory()(kQSModuleInterfaceVersion) == nullptr, "a second module is refused");

  WineScriptHost host;
  BoxDismisser boxes;
  report.Expect(module->Initialize(&host) && Contains(host.Console(), "Chorister version 20081015 Loaded") &&
                    host.InstalledTypeCount() == 6 && host.IsBound("Ventrilo"),
                "Initialize installs the six types, binds Ventrilo and prints the load line");

  Scenario(report, client, module, host);

  module->Shutdown();
  report.Expect(host.InstalledTypeCount() == 0 && !host.IsBound("Ventrilo"), "Shutdown removes the types and Ventrilo");
  library.Unload();
  UnloadWithoutShutdown(report, argv[2]);
  // A box comes up when the client deleted an item while the module was reading
  // it (a race of each move, leave and disconnect); it is expected, not a fault.
  std::printf("info: %d \"Treeview_GetItem failed\" box(es) dismissed\n", boxes.Dismissed());
  return report.Finish();
}
