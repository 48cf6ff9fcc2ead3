#include "tests/host/CommandResult.h"

#include <sys/wait.h>

#include <cstdio>
#include <sstream>

CommandResult CommandResult::Of(const std::string& command) {
  CommandResult result;
  std::FILE* pipe = popen((command + " 2>&1 </dev/null").c_str(), "r");
  if (!pipe)
    return result;
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    result.output.append(buffer, read);
  int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::vector<std::string> CommandResult::Lines() const {
  std::vector<std::string> lines;
  std::istringstream stream(output);
  for (std::string line; std::getline(stream, line);)
    lines.push_back(line);
  return lines;
}
