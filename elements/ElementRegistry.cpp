#include "elements/ElementRegistry.h"

#include <map>

namespace {

std::map<std::uint32_t, VentriloElement*>& Registry() {
  static std::map<std::uint32_t, VentriloElement*> registry;
  return registry;
}

}  // namespace

void ElementRegistry::Enter(std::uint32_t id, VentriloElement* element) { Registry()[id] = element; }

void ElementRegistry::Leave(std::uint32_t id, const VentriloElement* element) {
  const auto entry = Registry().find(id);
  if (entry != Registry().end() && entry->second == element)
    Registry().erase(entry);
}

VentriloElement* ElementRegistry::Find(std::uint32_t id) {
  const auto entry = Registry().find(id);
  return entry == Registry().end() ? nullptr : entry->second;
}

std::size_t ElementRegistry::Count() { return Registry().size(); }
