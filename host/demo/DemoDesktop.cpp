#include "host/demo/DemoDesktop.h"

#include <sstream>

DemoDesktop::DemoDesktop(std::chrono::milliseconds runLength, Console& console)
    : console_(console),
      scale_(runLength.count() > 0 ? static_cast<double>(runLength.count()) / kTimelineLength.count() : 1.0) {}

DemoDesktop::~DemoDesktop() = default;

bool DemoDesktop::Fail(int line, const std::string& error) {
  console_.Error("chorister-host: demo timeline, line " + std::to_string(line) + ": " + error);
  return false;
}

bool DemoDesktop::Parse() {
  std::istringstream text(kTimeline);
  int number = 0;
  for (std::string line; std::getline(text, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
      continue;
    std::istringstream words(line);
    long long at = 0;
    std::string client;
    if (!(words >> at >> client) || at < 0)
      return Fail(number, "expected AT CLIENT COMMAND, not '" + line + "'");
    std::string command;
    std::getline(words >> std::ws, command);
    if (!steps_.empty() && at < steps_.back().at.count())
      return Fail(number, "the changes are not in time order");
    steps_.push_back(Step{std::chrono::milliseconds(at), client, command, number});
  }
  return true;
}

bool DemoDesktop::Apply(const Step& step) {
  auto& client = clients_[step.client];
  std::string error;
  if (!client) {
    client = std::make_unique<DemoClient>();
    if (!client->Start(&error))
      return Fail(step.line, "client " + step.client + " cannot start: " + error);
  }
  error = client->Execute(step.command);
  return error.empty() || Fail(step.line, step.client + " " + step.command + ": " + error);
}

bool DemoDesktop::Start() {
  if (!Parse())
    return false;
  for (; next_ < steps_.size() && steps_[next_].at.count() == 0; ++next_) {
    if (!Apply(steps_[next_]))
      return false;
  }
  return true;
}

void DemoDesktop::Advance(std::chrono::milliseconds elapsed) {
  while (next_ < steps_.size() && steps_[next_].at.count() * scale_ <= static_cast<double>(elapsed.count()))
    Apply(steps_[next_++]);
}
