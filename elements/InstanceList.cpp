#include "elements/InstanceList.h"

#include "elements/VentriloInstance.h"

namespace {

VentriloInstance* firstInstance = nullptr;
VentriloInstance* lastInstance = nullptr;

std::map<IVentrilo*, VentriloInstance*>& Clients() {
  static std::map<IVentrilo*, VentriloInstance*> clients;
  return clients;
}

}  // namespace

void InstanceList::Enter(VentriloInstance* instance) {
  instance->previousInstance_ = lastInstance;
  if (lastInstance)
    lastInstance->nextInstance_ = instance;
  else
    firstInstance = instance;
  lastInstance = instance;
  Clients()[instance->GetClient()] = instance;
}

void InstanceList::Leave(VentriloInstance* instance) {
  if (instance->previousInstance_)
    instance->previousInstance_->nextInstance_ = instance->nextInstance_;
  else
    firstInstance = instance->nextInstance_;
  if (instance->nextInstance_)
    instance->nextInstance_->previousInstance_ = instance->previousInstance_;
  else
    lastInstance = instance->previousInstance_;
  const auto entry = Clients().find(instance->GetClient());
  if (entry != Clients().end() && entry->second == instance)
    Clients().erase(entry);
}

VentriloInstance* InstanceList::First() { return firstInstance; }

VentriloInstance* InstanceList::Find(IVentrilo* client) {
  const auto entry = Clients().find(client);
  return entry == Clients().end() ? nullptr : entry->second;
}

void InstanceList::DestroyAbsent(const std::map<IVentrilo*, ISnapshot*>& table) {
  const auto& clients = Clients();
  for (auto entry = clients.begin(); entry != clients.end();) {
    VentriloInstance* instance = entry->second;
    const bool gone = !table.contains(entry->first);
    ++entry;  // Destroy takes the instance out of the map
    if (gone)
      instance->Destroy();
  }
}

void InstanceList::DiscardAll() {
  while (!Clients().empty())
    Clients().begin()->second->Discard();
}
