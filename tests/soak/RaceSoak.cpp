#include "tests/soak/RaceSoak.h"

#include "elements/InstanceList.h"
#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"
#include "hostsdk/QSModuleInterface.h"
#include "module/Chorister.h"
#include "platform/sim/SimDesktop.h"

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

constexpr unsigned kHandOverTimeoutMs = 20000;
constexpr long long kBurst = 200;
// One change every this many messages to the client, on average.
constexpr int kMessagesPerChange = 6;

}  // namespace

bool RaceSoak::Report(const std::string& problem) const {
  std::printf("race soak: seed %llu, after %lld changes: %s\n", seed_, made_.load(), problem.c_str());
  return false;
}

bool RaceSoak::Settle(int count) {
  if (!module_->AwaitHandOver(module_->HandOverCount() + count, kHandOverTimeoutMs))
    return Report("no hand-over");
  module_->Pulse();
  ++passes_;
  return CheckPass();
}

bool RaceSoak::CheckPass() {
  std::map<std::uintptr_t, int> joins;
  for (const RecordingHost::FiredEvent& fired : host_.fired) {
    if (fired.name == "Ventrilo.OnJoinedParent" && ++joins[fired.context.Data] == 2) {
      const VentriloElement* element = VentriloElement::FromID(static_cast<std::uint32_t>(fired.context.Data));
      return Report("one pass moved " + (element ? element->GetName() : std::string("an element")) + " twice");
    }
  }
  host_.ClearRecords();
  return true;
}

bool RaceSoak::Burst() {
  VentriloInstance* instance = InstanceList::First();
  if (!instance)
    return Report("no instance element");
  std::map<std::uint32_t, std::uint32_t> ids = TreeExpectation::IdsByKey(*instance);
  for (VentriloElement* e = instance->GetFirstChild(); e && e != instance; e = e->WalkNext())
    e->SetMetadata("key", std::to_string(e->GetItemKey()));

  // The hook runs on the polling thread only, and the model is not touched
  // elsewhere until it is removed and the cycle it was in has ended.
  const long long target = made_ + kBurst;
  bool relinked = false;
  sim::SetMessageHook([&](const sim::CallRecord& call) {
    DWORD owner = 0;
    GetWindowThreadProcessId(call.window, &owner);
    if (owner != model_->Client().ProcessId() || made_ >= target ||
        std::uniform_int_distribution(1, kMessagesPerChange)(random_) != 1)
      return;
    const std::string what = model_->Mutate();
    relinked = relinked || what == "disconnect" || what == "reconnect" || what == "restart";
    ++made_;
  });
  while (made_ < target) {
    if (!Settle(1))
      break;
  }
  sim::SetMessageHook(nullptr);
  // The cycle that ran the last change ends, then a removal it held back is
  // confirmed by the next.
  if (made_ < target || !Settle(1) || !Settle(3))
    return false;

  // A restarted client has another instance element.
  instance = InstanceList::First();
  if (!instance || instance->GetNextInstance())
    return Report("not one instance element");
  const TreeExpectation expected = model_->Expect();
  for (const std::string& problem : expected.Compare(*instance))
    return Report("after the quiet period: " + problem);
  if (relinked)
    return true;
  for (const auto& [key, id] : ids) {
    if (!expected.elements.contains(key))
      continue;
    VentriloElement* element = instance->FindElementByKey(key);
    if (!element || element->GetID() != id)
      return Report("an element that stayed has a new id: key " + std::to_string(key));
    const std::string* tag = element->GetMetadata("key");
    if (!tag || *tag != std::to_string(key))
      return Report(element->GetName() + " lost its metadata");
  }
  return true;
}

int RaceSoak::Run() {
  sim::ResetDesktop();
  module_ = static_cast<Chorister*>(CreateQSModuleInterface(kQSModuleInterfaceVersion));
  if (!module_ || !module_->Initialize(&host_)) {
    std::printf("race soak: the module did not start\n");
    return 2;
  }
  model_ = std::make_unique<RosterModel>(random_, "A");
  const std::uint64_t cyclesBefore = module_->HandOverCount();
  const auto start = std::chrono::steady_clock::now();
  bool held = Settle(2) && Settle(3);
  while (held && made_ < changes_)
    held = Burst();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("race soak: %lld changes during %llu capture cycles, %lld passes, %.1f s%s\n", made_.load(),
              static_cast<unsigned long long>(module_->HandOverCount() - cyclesBefore), passes_, seconds,
              held ? "" : ": FAILED");
  module_->Shutdown();
  Chorister::DestroyModule();
  model_.reset();
  sim::ResetDesktop();
  return held ? 0 : 1;
}
