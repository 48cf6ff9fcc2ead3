// What one script read of an element member costs, asked for by name as the
// host asks: the name is looked up in the object's own type and handed up the
// parent chain until a type registers it, and the element is resolved from its
// id on every read. A server object's Name crosses three types
// (ventriloserver -> ventrilochannel -> ventriloelement), a user's two, and
// the element type's own lookup is the floor.
#include "elements/InstanceList.h"
#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"
#include "hostsdk/QSDeletableType.h"
#include "hostsdk/QSTypeDefinition.h"
#include "module/Chorister.h"
#include "types/ScriptTypes.h"
#include "hostsdk/ScriptHost.h"
#include "platform/sim/SimDesktop.h"
#include "standin/StandinClient.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// A host that serves the module and forgets everything.
class QuietHost final : public ScriptHost {
 public:
  bool BindGlobalObject(const char*, GlobalObjectResolver) override { return true; }
  bool UnbindGlobalObject(const char*) override { return true; }
  bool InstallType(QSTypeDefinition*) override { return true; }
  bool UninstallType(QSTypeDefinition*) override { return true; }
  QSTypeDefinition* LookupType(const char* name, int, int) override {
    const std::string wanted = name;
    return wanted == "string" ? &string_ : wanted == "uint" ? &uint_ : wanted == "bool" ? &bool_ : nullptr;
  }
  int DeclareEvent(const char*) override { return events_++; }
  int FireEvent(int, int, int, const char* const*, ObjectRef*) override { return 0; }
  void ConsoleWrite(const char*, ...) override {}
  FilterHandle ParseFilter(const char*) override { return 0; }
  bool MatchFilter(FilterHandle, ObjectRef*, unsigned char*) override { return false; }
  void ReleaseFilter(FilterHandle) override {}

 private:
  QSDeletableType<QSTypeDefinition> string_{"string"};
  QSDeletableType<QSTypeDefinition> uint_{"uint"};
  QSDeletableType<QSTypeDefinition> bool_{"bool"};
  int events_ = 0;
};

// A module that has applied one snapshot of a client showing a server with a
// channel and a user. The client then exits and no further pulse runs, so the
// elements stay and the polling thread has nothing left to read.
class LiveModule {
 public:
  LiveModule() {
    sim::ResetDesktop();
    standin::Roster roster;
    roster.server.name = "Chorister";
    standin::Channel lobby;
    lobby.entry.name = "Lobby";
    standin::Entry alice;
    alice.name = "Alice";
    lobby.users.push_back(alice);
    roster.channels.push_back(lobby);
    client_ = std::make_unique<standin::StandinClient>(roster);
    module_ = Chorister::Create(23);
    if (module_ == nullptr || !module_->Initialize(&host_)) {
      std::fprintf(stderr, "the module did not start\n");
      std::abort();
    }
    // The first pulse opens the instance, the next applies its snapshot.
    for (int pulse = 0; pulse < 2; ++pulse) {
      if (!module_->AwaitHandOver(module_->HandOverCount() + 2, 10000)) {
        std::fprintf(stderr, "no hand-over from the polling thread\n");
        std::abort();
      }
      module_->Pulse();
    }
    client_->Exit();
  }

  ~LiveModule() {
    module_->Shutdown();
    Chorister::DestroyModule();
  }

  VentriloElement* Server() const { return InstanceList::First()->GetFirstChild(); }
  VentriloElement* User() const { return Server()->GetFirstChild()->GetFirstChild(); }

 private:
  QuietHost host_;
  std::unique_ptr<standin::StandinClient> client_;
  Chorister* module_ = nullptr;
};

void ReadName(benchmark::State& state, const ObjectRef& object) {
  ObjectRef out{nullptr, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(object.Type->GetMember(object.Data, "Name", 0, nullptr, &out));
    benchmark::DoNotOptimize(out);
  }
}

void BM_ServerNameThroughThreeTypes(benchmark::State& state) {
  LiveModule live;
  ReadName(state, live.Server()->ScriptObject());
}
BENCHMARK(BM_ServerNameThroughThreeTypes);

void BM_UserNameThroughTwoTypes(benchmark::State& state) {
  LiveModule live;
  ReadName(state, live.User()->ScriptObject());
}
BENCHMARK(BM_UserNameThroughTwoTypes);

void BM_NameOnTheElementTypeItself(benchmark::State& state) {
  LiveModule live;
  ReadName(state, ObjectRef{ScriptTypes::ElementType, live.Server()->GetID()});
}
BENCHMARK(BM_NameOnTheElementTypeItself);

}  // namespace
