#include "libventrilo/ParseDisplayText.h"

#include "libventrilo/TreeItemInfo.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr std::size_t kWorkingSize = 1024;

std::uint32_t FlagOfLetter(char letter) {
  switch (letter) {
    case 'A': return kFlagAdmin;
    case 'C': return kFlagChatWindowOpen;
    case 'N': return kFlagChannelMuted;
    case 'G': return kFlagGlobalMuted;
    case 'M': return kFlagLocalMuted;
    case 'T': return kFlagPlayingTTS;
    case 'W': return kFlagPlayingWAV;
    case 'S': return kFlagEffect;
    case 'P': return kFlagPhantom;
    default: return 0;
  }
}

}  // namespace

void ParseDisplayText(TreeItemInfo* info) {
  // Display texts are read into a 1024-byte buffer, so they never exceed 1023
  // characters; the cut keeps that true for a record filled elsewhere.
  char working[kWorkingSize];
  const std::size_t length = info->displayText.copy(working, kWorkingSize - 1);
  working[length] = 0;
  const std::string_view text(working, length);
  const std::size_t nameAt = text.find(info->name);
  if (nameAt == std::string_view::npos) {
    std::printf("Failed to find username in %s\n", working);
    return;
  }
  std::string_view prefix = text.substr(0, nameAt);
  while (!prefix.empty() && prefix.back() == ' ')
    prefix.remove_suffix(1);

  if (prefix.empty() || prefix.front() != '"') {
    info->rank.assign(prefix);
    info->flags = 0;
    return;
  }
  std::uint32_t flags = 0;
  std::string_view rank;
  for (std::size_t at = 1; at < prefix.size(); ++at) {
    if (prefix[at] == '"') {
      rank = prefix.substr(at + 1);
      while (!rank.empty() && rank.front() == ' ')
        rank.remove_prefix(1);
      break;
    }
    flags |= FlagOfLetter(prefix[at]);
  }
  info->flags = flags;
  info->rank.assign(rank);
}
