// What the client's tree-view icons stand for: its image list by index, the
// server's icon while it is not connected, and which icons mark channels and
// users.
#pragma once

// The client's icon files by tree-view image index.
inline constexpr const char* kIconNames[] = {
    "server.ico",      "channel.ico",      "voiceoff.ico",   "voiceon.ico",      "chanpass.ico",
    "channelopen.ico", "chanpassopen.ico", "chanauth.ico",   "chanauthopen.ico", "voicebegin.ico",
    "voicechan.ico",   "voiceu2u.ico",     "voicegroup.ico", "voicep2p.ico",     "netstatus.ico",
};

// The client's file name of icon `icon` ("voiceon.ico"), "none" for -1 and
// "unknown" for an index the client does not have.
constexpr const char* IconName(int icon) {
  if (icon == -1)
    return "none";
  if (icon < 0 || icon >= static_cast<int>(sizeof kIconNames / sizeof kIconNames[0]))
    return "unknown";
  return kIconNames[icon];
}

// The server item's image index while the client is not connected ("netstatus.ico").
inline constexpr int kDisconnectedIcon = 14;

// What an item's image index stands for.
enum class ItemKind { Skipped, Channel, User };

constexpr ItemKind KindOfIcon(int icon) {
  switch (icon) {
    case 1:  // channel.ico
    case 4:  // chanpass.ico
    case 5:  // channelopen.ico
    case 6:  // chanpassopen.ico
    case 7:  // chanauth.ico
    case 8:  // chanauthopen.ico
      return ItemKind::Channel;
    case 2:   // voiceoff.ico
    case 3:   // voiceon.ico
    case 9:   // voicebegin.ico
    case 10:  // voicechan.ico
    case 11:  // voiceu2u.ico
    case 12:  // voicegroup.ico
    case 13:  // voicep2p.ico
      return ItemKind::User;
    default:  // the server's own icons, and anything unknown: not read further
      return ItemKind::Skipped;
  }
}
