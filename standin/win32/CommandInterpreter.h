// The stand-in client's command language, one command per line (words as
// SplitCommand takes them: "double quotes" around a name with spaces, - for an
// empty text; an empty NAME is the server, an empty PARENT or CHANNEL the
// server's top level):
//   server NAME          connect, showing server NAME (again: reconnect, new item keys)
//   disconnect           clear the tree; the disconnected root remains
//   channel PARENT NAME  add a channel        user CHANNEL NAME   add a user
//   move USER CHANNEL    move a user          flags NAME LETTERS  set the flag letters
//   rename NAME NEW      rename an item       remove NAME         remove an item (and its subtree)
//   comment NAME TEXT URL                     rank NAME TEXT ID   rank text and rank id
//   pronunciation NAME TEXT                   suffix NAME TEXT    drawn after the name, e.g. (away)
//   icon NAME INDEX      the image index (3 while talking, 2 silent)
//   select NAME          select an item       local NAME          set the local user's name
//   where USER           answers the user's channel
//   exit                 end the client
// Every command is answered with one line: "ok", "ok VALUE" or "error TEXT".
#pragma once

#include "standin/win32/StandinWindow.h"

#include <string>

namespace standin {

class CommandInterpreter {
 public:
  explicit CommandInterpreter(StandinWindow& window) : window_(window) {}

  std::string Execute(const std::string& line);
  bool ExitRequested() const { return exit_; }

 private:
  StandinWindow& window_;
  bool exit_ = false;
};

}  // namespace standin
