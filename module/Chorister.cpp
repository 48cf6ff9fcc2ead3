#include "module/Chorister.h"

#include "elements/ElementContext.h"
#include "elements/InstanceList.h"
#include "elements/NextElementID.h"
#include "elements/VentriloInstance.h"
#include "hostsdk/QSDeletableType.h"
#include "hostsdk/ScriptHost.h"
#include "libventrilo/ISnapshot.h"
#include "libventrilo/IVentrilo.h"
#include "libventrilo/IVentriloLocator.h"
#include "module/CWinLock.h"
#include "types/ResolveGlobalObject.h"
#include "types/ScriptTypes.h"
#include "types/VentriloChannelType.h"
#include "types/VentriloElementType.h"
#include "types/VentriloInstanceType.h"
#include "types/VentriloServerType.h"
#include "types/VentriloType.h"
#include "types/VentriloUserType.h"

#include <chrono>
#include <new>
#include <set>

namespace {

constexpr const char* kVersionText = "20081015";
constexpr const char* kGlobalObjectName = "Ventrilo";
// A cycle's work is followed by three such pauses, with a stop check before
// each, so a stop request is seen within one pause of the cycle's end.
constexpr DWORD kPauseMs = 10;
constexpr int kPauses = 3;

Chorister* theModule = nullptr;

// Creates a type, installs it, then links it to its parent type. The type is
// made deletable through its slot 1, as the host would delete it.
template <class Type>
QSTypeDefinition* InstallType(ScriptHost* host, QSTypeDefinition* parent) {
  QSTypeDefinition* type = new QSDeletableType<Type>();
  host->InstallType(type);
  type->SetInheritance(parent);
  return type;
}

}  // namespace

Chorister* Chorister::Get() { return theModule; }

Chorister* Chorister::Create(int version) {
  if (theModule || version != kQSModuleInterfaceVersion)
    return nullptr;
  theModule = new (std::nothrow) Chorister();
  return theModule;
}

void Chorister::DestroyModule(bool underLoaderLock) {
  if (theModule && underLoaderLock)
    theModule->thread_.DetachFromExit();
  delete theModule;
  theModule = nullptr;
}

Chorister::Chorister() {
  InitializeCriticalSection(&lock_);
  InitializeCriticalSection(&handOverLock_);
}

// The host is expected to have called Shutdown; whatever it left running or
// referenced is stopped and released here, so unloading never leaks.
Chorister::~Chorister() {
  thread_.StopThread();
  ReleaseTable(pending_);
  DeleteCriticalSection(&handOverLock_);
  DeleteCriticalSection(&lock_);
}

bool Chorister::Initialize(ScriptHost* host) {
  // Initialising twice would install every type twice.
  if (!host || ScriptTypes::VentriloType)
    return false;
  host_ = host;
  ScriptTypes::StringType = host->LookupType("string", 0, 0);
  ScriptTypes::UIntType = host->LookupType("uint", 0, 0);
  ScriptTypes::BoolType = host->LookupType("bool", 0, 0);
  events_.DeclareAll(host);
  ElementContext::Install(CreateTypes());
  host->BindGlobalObject(kGlobalObjectName, &ResolveGlobalObject);
  if (!thread_.StartThread(&ThreadEntry, nullptr))
    host->ConsoleWrite("Chorister could not start its polling thread; no client will be seen\n");
  host->ConsoleWrite("Chorister version %s Loaded", kVersionText);
  return true;
}

void Chorister::Shutdown() {
  thread_.StopThread();
  {
    CWinLock lock(&lock_, true);
    ReleaseTable(pending_);
    DestroyInstances();
  }
  const ElementContext context = ElementContext::Get();
  ElementContext::Clear();
  events_.Detach();
  if (host_)
    host_->UnbindGlobalObject(kGlobalObjectName);
  DestroyTypes(context);
}

void Chorister::Pulse() {
  CWinLock lock(&lock_, true);
  if (!newData_)
    return;
  InstanceList::DestroyAbsent(pending_);
  for (const auto& [client, snapshot] : pending_) {
    VentriloInstance* found = InstanceList::Find(client);
    if (!found)
      new VentriloInstance(NextElementID(), nullptr, client);  // owned by the instance list until Destroy
    else if (snapshot)
      found->ApplySnapshot(snapshot);
  }
  ReleaseTable(pending_);
  newData_ = false;
}

DWORD WINAPI Chorister::ThreadEntry(LPVOID parameter) {
  static_cast<CWindowsThread*>(parameter)->Run(&Chorister::ThreadBody);
  return 0;
}

void Chorister::ThreadBody() {
  if (Chorister* self = Get())
    self->VentriloThreadFunc();
}

void Chorister::VentriloThreadFunc() {
  IVentriloLocator* locator = nullptr;
  if (!GetVentriloLocator(&locator) || !locator) {
    if (host_)
      host_->ConsoleWrite("GetVentriloLocator failed\n");
    return;
  }
  while (!thread_.IsStopRequested()) {
    PollOnce(locator);
    for (int pause = 0; pause < kPauses && !thread_.IsStopRequested(); ++pause)
      Sleep(kPauseMs);
  }
  locator->Release();
}

void Chorister::PollOnce(IVentriloLocator* locator) {
  using FoundSet = std::set<IVentrilo*>;
  // Collects the reported instances, one reference each.
  class VentriloEnumerator final : public IVentriloEnumerator {
   public:
    explicit VentriloEnumerator(FoundSet* found) : found_(found) {}
    int OnVentrilo(DWORD, IVentrilo* instance) override {
      if (found_->insert(instance).second)
        instance->AddRef();
      return 0;
    }

   private:
    FoundSet* found_;
  };

  FoundSet found;
  VentriloEnumerator enumerator(&found);
  locator->Enumerate(&enumerator);
  // Every instance goes into the table, also those left without a snapshot
  // because a stop was requested meanwhile: the table is always complete.
  InstanceTable fresh;
  for (IVentrilo* instance : found) {
    ISnapshot* snapshot = nullptr;
    if (!thread_.IsStopRequested())
      instance->TakeSnapshot(&snapshot);
    fresh.emplace_hint(fresh.end(), instance, snapshot);
  }
  HandOver(fresh);
}

void Chorister::HandOver(InstanceTable& fresh) {
  {
    CWinLock lock(&lock_, true);
    ReleaseTable(pending_);
    pending_.swap(fresh);
    newData_ = true;
  }
  {
    CWinLock guard(&handOverLock_, true);
    ++handOvers_;
  }
  handOverDone_.notify_all();
}

void Chorister::ReleaseTable(InstanceTable& table) {
  for (const auto& [instance, snapshot] : table) {
    instance->Release();
    if (snapshot)
      snapshot->Release();
  }
  table.clear();
}

std::uint64_t Chorister::HandOverCount() {
  CWinLock guard(&handOverLock_, true);
  return handOvers_;
}

bool Chorister::AwaitHandOver(std::uint64_t count, unsigned timeoutMs) {
  CWinLock guard(&handOverLock_, true);
  return handOverDone_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return handOvers_ >= count; });
}

// In the order the host was given them, parents before the types that inherit.
ElementContext Chorister::CreateTypes() {
  ScriptHost* host = host_;
  ElementContext context{host, &events_};
  ScriptTypes::VentriloType = InstallType<VentriloType>(host, nullptr);
  ScriptTypes::ElementType = InstallType<VentriloElementType>(host, nullptr);
  context.instanceType = InstallType<VentriloInstanceType>(host, ScriptTypes::ElementType);
  context.channelType = InstallType<VentriloChannelType>(host, ScriptTypes::ElementType);
  context.serverType = InstallType<VentriloServerType>(host, context.channelType);
  context.userType = InstallType<VentriloUserType>(host, ScriptTypes::ElementType);
  return context;
}

void Chorister::DestroyTypes(const ElementContext& context) {
  for (QSTypeDefinition* type : {ScriptTypes::VentriloType, ScriptTypes::ElementType, context.instanceType,
                                 context.channelType, context.serverType, context.userType}) {
    if (!type)
      continue;
    if (host_)
      host_->UninstallType(type);
    type->DeletingDestructor(QSTypeDefinition::kFreeMemory);
  }
  ScriptTypes::VentriloType = nullptr;
  ScriptTypes::ElementType = nullptr;
}

// Silently: events are raised only inside a pulse, and the scripts that would
// handle these are being torn down with the host's session.
void Chorister::DestroyInstances() { InstanceList::DiscardAll(); }
