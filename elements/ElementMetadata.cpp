#include "elements/ElementMetadata.h"

const std::string* ElementMetadata::Get(const std::string& key) const {
  const auto entry = pairs_.find(key);
  return entry == pairs_.end() ? nullptr : &entry->second;
}

void ElementMetadata::Set(const std::string& key, const std::string& value) { pairs_[key] = value; }

void ElementMetadata::Unset(const std::string& key) { pairs_.erase(key); }
