// What a shell command wrote (standard output and standard error, merged in
// order) and how it exited.
#pragma once

#include <string>
#include <vector>

struct CommandResult {
  int exitCode = -1;
  std::string output;

  static CommandResult Of(const std::string& command);
  std::vector<std::string> Lines() const;
  bool Contains(const std::string& text) const { return output.find(text) != std::string::npos; }
};
