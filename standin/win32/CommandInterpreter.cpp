#include "standin/win32/CommandInterpreter.h"

#include "standin/CommandLine.h"

#include <vector>

namespace standin {

namespace {

std::string Reply(const std::string& error) { return error.empty() ? "ok" : "error " + error; }

}  // namespace

std::string CommandInterpreter::Execute(const std::string& line) {
  std::vector<std::string> words;
  if (!SplitCommand(line, &words))
    return Reply("unclosed quote");
  if (words.empty())
    return Reply("empty command");
  const std::string& command = words[0];
  const std::string a = CommandWord(words, 1);
  const std::string b = CommandWord(words, 2);
  const std::string c = CommandWord(words, 3);
  long number = 0;
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
  if (command == "comment")
    return Reply(window_.SetComment(a, b, c));
  if (command == "rank")
    return CommandNumber(c, 0xFFFF, &number) ? Reply(window_.SetRank(a, b, std::uint16_t(number)))
                                             : Reply("bad rank id " + c);
  if (command == "pronunciation")
    return Reply(window_.SetPronunciation(a, b));
  if (command == "suffix")
    return Reply(window_.SetSuffix(a, b));
  if (command == "icon")
    return CommandNumber(b, 0x7FFFFFFF, &number) ? Reply(window_.SetIcon(a, int(number)))
                                                 : Reply("bad image index " + b);
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
