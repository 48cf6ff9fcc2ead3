#include "host/demo/DemoClient.h"

#ifdef _WIN32
#include "host/program/ModuleLibrary.h"
#include "standin/win32/StandinProcess.h"

#include <algorithm>
#else
#include "standin/CommandLine.h"
#include "standin/StandinClient.h"

#include <vector>
#endif

#ifdef _WIN32

// The Win32 stand-in client answers each command with "ok", "ok VALUE" or
// "error TEXT".
class DemoClient::Impl {
 public:
  std::unique_ptr<StandinProcess> process;
};

bool DemoClient::Start(std::string* error) {
  std::string program = ModuleLibrary::HostFolder() + "/standin_client.exe";
  std::replace(program.begin(), program.end(), '/', '\\');
  impl_->process = std::make_unique<StandinProcess>(program);
  if (!impl_->process->Ok()) {
    impl_->process.reset();
    *error = "no Win32 stand-in client at " + program + " (the win64 build makes it beside the host)";
    return false;
  }
  return true;
}

std::string DemoClient::Execute(const std::string& command) {
  if (!impl_->process)
    return "the client has not started";
  const std::string answer = impl_->process->Command(command);
  if (answer == "ok" || answer.starts_with("ok "))
    return "";
  if (answer.starts_with("error "))
    return answer.substr(6);
  return answer.empty() ? "the client has gone" : "unexpected answer '" + answer + "'";
}

#else

// The simulated stand-in ignores a change of an item it does not show, as a
// client would.
class DemoClient::Impl {
 public:
  std::unique_ptr<standin::StandinClient> client;
};

bool DemoClient::Start(std::string*) {
  impl_->client = std::make_unique<standin::StandinClient>(standin::Roster{});
  impl_->client->ClearTree();
  return true;
}

std::string DemoClient::Execute(const std::string& command) {
  if (!impl_->client)
    return "the client has not started";
  standin::StandinClient& client = *impl_->client;
  std::vector<std::string> words;
  if (!standin::SplitCommand(command, &words))
    return "unclosed quote";
  const std::string verb = standin::CommandWord(words, 0);
  const std::string a = standin::CommandWord(words, 1);
  const std::string b = standin::CommandWord(words, 2);
  const std::string c = standin::CommandWord(words, 3);
  long number = 0;
  if (verb == "server") {
    // Connecting shows the roster afresh, with new records.
    client.Rename("", a);
    client.Reconnect();
  } else if (verb == "disconnect") {
    client.Disconnect();
  } else if (verb == "channel") {
    standin::Channel channel;
    channel.entry.name = b;
    client.AddChannel(a, channel);
  } else if (verb == "user") {
    standin::Entry user;
    user.name = b;
    client.AddUser(a, user);
  } else if (verb == "move") {
    client.Move(a, b);
  } else if (verb == "flags") {
    client.SetFlags(a, b);
  } else if (verb == "comment") {
    client.SetComment(a, b, c);
  } else if (verb == "rank") {
    if (!standin::CommandNumber(c, 0xFFFF, &number))
      return "bad rank id " + c;
    client.SetRank(a, b, static_cast<std::uint16_t>(number));
  } else if (verb == "pronunciation") {
    client.SetPronunciation(a, b);
  } else if (verb == "suffix") {
    client.SetSuffix(a, b);
  } else if (verb == "icon") {
    if (!standin::CommandNumber(b, 0x7FFFFFFF, &number))
      return "bad image index " + b;
    client.SetIcon(a, static_cast<int>(number));
  } else if (verb == "rename") {
    client.Rename(a, b);
  } else if (verb == "remove") {
    client.Remove(a);
  } else if (verb == "select") {
    client.Select(a);
  } else if (verb == "local") {
    client.SetLocalUser(a);
  } else if (verb == "exit") {
    client.Exit();
  } else {
    return "unknown command '" + verb + "'";
  }
  return "";
}

#endif

DemoClient::DemoClient() : impl_(std::make_unique<Impl>()) {}

DemoClient::~DemoClient() = default;
