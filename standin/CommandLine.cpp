#include "standin/CommandLine.h"

#include <cstdlib>

namespace standin {

bool SplitCommand(const std::string& line, std::vector<std::string>* words) {
  std::vector<std::string> split;
  std::size_t at = 0;
  for (;;) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos)
      break;
    if (line[at] == '"') {
      const std::size_t close = line.find('"', at + 1);
      if (close == std::string::npos)
        return false;
      split.push_back(line.substr(at + 1, close - at - 1));
      at = close + 1;
      continue;
    }
    const std::size_t end = line.find_first_of(" \t", at);
    std::string word = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    split.push_back(word == "-" ? std::string() : word);
    at = end;
  }
  *words = std::move(split);
  return true;
}

std::string CommandWord(const std::vector<std::string>& words, std::size_t index) {
  return index < words.size() ? words[index] : std::string();
}

bool CommandNumber(const std::string& word, long limit, long* value) {
  char* end = nullptr;
  const long number = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || *end != '\0' || number < 0 || number > limit)
    return false;
  *value = number;
  return true;
}

}  // namespace standin
