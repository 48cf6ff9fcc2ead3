#include "standin/win32/CommandReader.h"

#include <iostream>
#include <thread>

namespace standin {

namespace {

void Post(DWORD windowThread, std::string line) {
  auto owned = std::make_unique<std::string>(std::move(line));
  if (PostThreadMessageA(windowThread, CommandReader::kCommandMessage, 0, reinterpret_cast<LPARAM>(owned.get())))
    owned.release();
}

}  // namespace

CommandReader::CommandReader(DWORD windowThread) {
  std::thread([windowThread] {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      Post(windowThread, line);
    }
    Post(windowThread, "exit");
  }).detach();
}

std::unique_ptr<std::string> CommandReader::Take(const MSG& message) {
  return std::unique_ptr<std::string>(reinterpret_cast<std::string*>(message.lParam));
}

}  // namespace standin
