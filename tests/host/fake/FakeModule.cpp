// A small script module for the host's tests, loaded like any module. Built
// several times: as it is, with FAKE_MODULE_VERSION set to another interface
// version, with FAKE_MODULE_INIT_FAILS (Initialize answers false) and with
// FAKE_MODULE_NO_FACTORY (no CreateQSModuleInterface export).
//
// It installs the type "fake" with the member Name, the method Queue and the
// global object "Fake". Queue(text...) makes the next pulse fire
// "Fake.OnQueued" with the queued texts as arguments and the object as
// context. It writes a console line when it initialises and when it shuts down.
#include "hostsdk/QSDeletableType.h"
#include "hostsdk/QSTypeDefinition.h"
#include "hostsdk/QSModuleInterface.h"

#include <string>
#include <vector>

#ifndef FAKE_MODULE_VERSION
#define FAKE_MODULE_VERSION 23
#endif
#ifdef FAKE_MODULE_INIT_FAILS
constexpr bool kInitialises = false;
#else
constexpr bool kInitialises = true;
#endif

namespace {

ScriptHost* host = nullptr;
int queuedEvent = -1;
std::vector<std::string> queued;

class FakeType : public QSTypeDefinition {
 public:
  explicit FakeType(QSTypeDefinition* stringType) : QSTypeDefinition("fake"), stringType_(stringType) {
    AddMember(0, "Name", nullptr);
    AddMethod(0, "Queue", nullptr);
  }

  bool GetMemberByRecord(std::uintptr_t, _QSTypeMember* record, int, const char* const*, ObjectRef* out) override {
    if (record->ID != 0)
      return false;
    *out = {stringType_, reinterpret_cast<std::uintptr_t>("the fake")};
    return true;
  }

  bool CallMethodByRecord(std::uintptr_t&, _QSTypeMember* record, int count, const char* const* arguments) override {
    if (record->ID != 0)
      return false;
    queued.assign(arguments, arguments + count);
    return true;
  }

 private:
  QSTypeDefinition* stringType_;
};

FakeType* type = nullptr;

bool Resolve(int, const char* const*, ObjectRef* out) {
  *out = {type, 1};
  return true;
}

class FakeModule final : public QSModuleInterface {
 public:
  bool Initialize(ScriptHost* scriptHost) override {
    host = scriptHost;
    if (!kInitialises)
      return false;
    queuedEvent = host->DeclareEvent("Fake.OnQueued");
    type = new QSDeletableType<FakeType>(host->LookupType("string", 0, 0));
    host->InstallType(type);
    host->BindGlobalObject("Fake", Resolve);
    host->ConsoleWrite("fake module %s", "initialised");
    return true;
  }

  void Shutdown() override {
    host->UnbindGlobalObject("Fake");
    host->UninstallType(type);
    type->DeletingDestructor(QSTypeDefinition::kFreeMemory);
    type = nullptr;
    host->ConsoleWrite("fake module shut down\n");
  }

  void Pulse() override {
    if (queued.empty())
      return;
    std::vector<const char*> arguments;
    for (const std::string& text : queued)
      arguments.push_back(text.c_str());
    ObjectRef context{type, 1};
    host->FireEvent(queuedEvent, 0, static_cast<int>(arguments.size()), arguments.data(), &context);
    queued.clear();
  }
};

FakeModule* instance = nullptr;

}  // namespace

extern "C" {
__attribute__((visibility("default"))) int QSModule_Version = FAKE_MODULE_VERSION;

#ifndef FAKE_MODULE_NO_FACTORY
__attribute__((visibility("default"))) QSModuleInterface* CreateQSModuleInterface(int version) {
  if (instance || version != FAKE_MODULE_VERSION)
    return nullptr;
  instance = new FakeModule;
  return instance;
}
#endif
}

__attribute__((destructor)) static void Unload() {
  delete instance;
  instance = nullptr;
}
