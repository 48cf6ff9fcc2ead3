#include "libventrilo/ParseDisplayText.h"

#include "libventrilo/TreeItemInfo.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr std::size_t kWorkingSize = 1024;

std::uint32_t FlagOfLetter(char letter) {
  switch (letter) {
    case 'A':
      return kFlagAdmin;
    case 'C':
      return kFlagChatWindowOpen;
    case 'N':
      return kFlagChannelMuted;
    case 'G':
      return kFlagGlobalMuted;
    case 'M':
      return kFlagLocalMuted;
    case 'T':
      return kFlagPlayingTTS;
    case 'W':
      return kFlagPlayingWAV;
    case 'S':
      return kFlagEffect;
    case 'P':
      return kFlagPhantom;
    default:
      return 0;
  }
}

std::string_view TrimTrailingSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return text;
}

// Where `name` stands in `text` at or after `from`: the first occurrence the
// client could have drawn (a space, the start of the search or the end of the
// text on either side), else the first occurrence at all; npos when there is none.
std::size_t FindName(std::string_view text, std::string_view name, std::size_t from) {
  const std::size_t first = text.find(name, from);
  for (std::size_t at = first; at != std::string_view::npos; at = text.find(name, at + 1)) {
    const std::size_t end = at + name.size();
    if ((at == from || text[at - 1] == ' ') && (end == text.size() || text[end] == ' '))
      return at;
  }
  return first;
}

}  // namespace

void ParseDisplayText(TreeItemInfo* info) {
  // Display texts are read into a 1024-byte buffer, so they never exceed 1023
  // characters; the cut keeps that true for a record filled elsewhere.
  char working[kWorkingSize];
  const std::size_t length = info->displayText.copy(working, kWorkingSize - 1);
  working[length] = 0;
  const std::string_view text(working, length);
  const std::string_view name(info->name);

  // The letters' closing quote, when the text starts with letters that close.
  // The client follows it with a space or with the name; a quote followed by
  // anything else belongs to a name that starts with a quote and stands at
  // the start of the text.
  std::size_t closing = !name.empty() && text.starts_with('"') ? text.find('"', 1) : std::string_view::npos;
  if (closing != std::string_view::npos && closing + 1 < text.size() && text[closing + 1] != ' ' &&
      !text.substr(closing + 1).starts_with(name))
    closing = std::string_view::npos;
  std::size_t nameAt = std::string_view::npos;
  if (closing != std::string_view::npos)
    nameAt = FindName(text, name, closing + 1);
  if (nameAt == std::string_view::npos)
    nameAt = name.empty() ? 0 : FindName(text, name, 0);
  if (nameAt == std::string_view::npos) {
    std::printf("Failed to find username in %s\n", working);
    return;
  }

  const std::string_view prefix = TrimTrailingSpaces(text.substr(0, nameAt));
  if (prefix.empty() || prefix.front() != '"') {
    info->rank.assign(prefix);
    info->flags = 0;
    return;
  }
  // Letters run to the second quote; without one before the name, every
  // character up to the name is a letter and there is no rank.
  const std::size_t end = prefix.find('"', 1);
  const std::string_view letters = prefix.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
  std::uint32_t flags = 0;
  for (char letter : letters)
    flags |= FlagOfLetter(letter);
  info->flags = flags;
  std::string_view rank = end == std::string_view::npos ? std::string_view() : prefix.substr(end + 1);
  while (!rank.empty() && rank.front() == ' ')
    rank.remove_prefix(1);
  info->rank.assign(rank);
}
