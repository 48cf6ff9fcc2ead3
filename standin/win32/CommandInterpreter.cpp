#include "standin/win32/CommandInterpreter.h"

#include <sstream>
#include <vector>

namespace standin {

namespace {

std::string Word(const std::vector<std::string>& words, std::size_t index) {
  if (index >= words.size() || words[index] == "-")
    return "";
  return words[index];
}

std::string Reply(const std::string& error) { return error.empty() ? "ok" : "error " + error; }

}  // namespace

std::string CommandInterpreter::Execute(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;)
    words.push_back(word);
  if (words.empty())
    return Reply("empty command");
  const std::string& command = words[0];
  const std::string a = Word(words, 1);
  const std::string b = Word(words, 2);
  if (command == "server")
    return Reply(window_.Connect(a));
  if (command == "disconnect")
    return Reply(window_.Disconnect());
  if (command == "channel")
    return Reply(window_.AddChannel(a, b));
  if (command == "user")
    return Reply(window_.AddUser(a, b));
  if (command == "move")
    return Reply(window_.Move(a, b));
  if (command == "flags")
    return Reply(window_.SetFlags(a, b));
  if (command == "rename")
    return Reply(window_.Rename(a, b));
  if (command == "remove")
    return Reply(window_.Remove(a));
  if (command == "select")
    return Reply(window_.Select(a));
  if (command == "local") {
    window_.SetLocalUser(a);
    return Reply("");
  }
  if (command == "where") {
    std::string channel;
    const std::string error = window_.ChannelOf(a, &channel);
    return error.empty() ? "ok " + (channel.empty() ? std::string("-") : channel) : Reply(error);
  }
  if (command == "exit") {
    exit_ = true;
    return Reply("");
  }
  return Reply("unknown command " + command);
}

}  // namespace standin
