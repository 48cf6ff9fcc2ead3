#pragma once

#include <cstdint>
#include <string>

// The bits of an item's flags. The client draws them as capital letters in
// double quotes at the start of an item's display text.
enum TreeItemFlag : std::uint32_t {
  kFlagAdmin = 0x001,           // A
  kFlagChatWindowOpen = 0x002,  // C
  kFlagChannelMuted = 0x004,    // N
  kFlagGlobalMuted = 0x008,     // G
  kFlagLocalMuted = 0x010,      // M
  kFlagPlayingTTS = 0x020,      // T
  kFlagPlayingWAV = 0x040,      // W
  kFlagEffect = 0x080,          // S
  kFlagPhantom = 0x100,         // P
};

// Everything read for one item of a client's tree view. A default-constructed
// record holds the values of an item of which nothing was read.
struct TreeItemInfo {
  std::string displayText;
  // The item's image index in the tree view; -1 when it was not obtained.
  int iconID = -1;
  std::string name;
  std::string pronunciation;
  std::string comment;
  std::string commentURL;
  std::uint16_t rankID = 0;
  std::string rank;
  std::uint32_t flags = 0;
  // The item's lParam: the address of the client's own record for the item.
  std::uint32_t recordAddress = 0;
};
