// The key/value texts a script keeps on one element. Keys compare byte by
// byte, so case counts. Snapshots never touch them; they live exactly as long
// as their element.
#pragma once

#include <map>
#include <string>

class ElementMetadata {
 public:
  // The value under `key`, or null.
  const std::string* Get(const std::string& key) const;
  // Inserts the pair or replaces the value.
  void Set(const std::string& key, const std::string& value);
  // Removes the pair; an absent key is no error.
  void Unset(const std::string& key);

 private:
  std::map<std::string, std::string> pairs_;
};
