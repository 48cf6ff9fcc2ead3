// Fuzzes the parse of a display text into flags and rank.
//
// Half the inputs are free text and a free name: the parse must not fault,
// sets only flag bits the client has, takes the rank from the text, and
// leaves flags and rank alone when the name is absent.
//
// The other half build the text from known fields as the client draws it
// ("<letters>" <rank> <name> <suffix>, standin::DisplayText) and check that
// the parse gives the fields back. Some such texts are ambiguous to any
// parse that looks for the name (it also occurs earlier); those are skipped.
// The name is looked for after the closing quote of the letters, so only a
// name inside the rank is skipped, and names inside the letters ("A" with
// "A", "M" with "AM") are checked too.
#include "fuzz/FuzzCheck.h"
#include "libventrilo/ParseDisplayText.h"
#include "libventrilo/TreeItemInfo.h"
#include "standin/Roster.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kLongestText = 1023;
constexpr std::uint32_t kAllFlags = 0x1FF;
constexpr char kFlagLetters[] = "ACNGMTWSP";

std::uint32_t FlagsOf(const std::string& letters) {
  std::uint32_t flags = 0;
  for (char letter : letters) {
    if (const char* at = std::strchr(kFlagLetters, letter); at && letter)
      flags |= 1u << (at - kFlagLetters);
  }
  return flags;
}

std::string Text(FuzzedDataProvider& input, std::size_t longest) {
  std::string text = input.ConsumeRandomLengthString(longest);
  text.resize(std::strlen(text.c_str()));
  return text;
}

// Mostly flag letters, sometimes any other character but the quote.
std::string Letters(FuzzedDataProvider& input) {
  std::string letters;
  for (std::size_t count = input.ConsumeIntegralInRange(0, 12); count > 0; --count) {
    const char other = input.ConsumeIntegralInRange<char>(1, 127);
    letters += input.ConsumeBool() ? kFlagLetters[input.ConsumeIntegralInRange(0, 8)] : other == '"' ? 'x' : other;
  }
  return letters;
}

void FreeText(FuzzedDataProvider& input) {
  TreeItemInfo info;
  info.name = Text(input, 64);
  info.displayText = input.ConsumeRemainingBytesAsString();
  info.flags = 0xDEAD0000u;
  info.rank = "\x01untouched";
  ParseDisplayText(&info);
  const std::string shown = info.displayText.substr(0, kLongestText);
  if (shown.find(info.name) == std::string::npos) {
    FuzzCheck(info.flags == 0xDEAD0000u && info.rank == "\x01untouched", "an absent name changes nothing");
    return;
  }
  FuzzCheck((info.flags & ~kAllFlags) == 0, "only the client's flag bits", std::to_string(info.flags));
  FuzzCheck(info.rank.empty() || shown.find(info.rank) != std::string::npos, "the rank is part of the text");
}

void KnownFields(FuzzedDataProvider& input) {
  standin::Entry entry;
  entry.flags = Letters(input);
  entry.rank = Text(input, 32);
  entry.name = Text(input, 32);
  entry.suffix = Text(input, 32);
  const std::string text = standin::DisplayText(entry);
  // Fields the drawing cannot carry: spaces around the rank merge with the
  // separators, a rank (or with no rank, a name) that starts with a quote
  // reads as letters when there are none, and an empty name is found at the
  // start of any text.
  if (entry.name.empty() || text.size() > kLongestText || entry.rank.starts_with(' ') || entry.rank.ends_with(' ') ||
      (entry.flags.empty() && (entry.rank.empty() ? entry.name : entry.rank).starts_with('"')))
    return;
  standin::Entry before = entry;
  before.name.clear();
  before.suffix.clear();
  const std::string prefix = standin::DisplayText(before);
  const std::size_t placed = prefix.empty() ? 0 : prefix.size() + 1;
  const std::size_t searchFrom = !entry.flags.empty() ? entry.flags.size() + 2 : 0;
  if (text.find(entry.name, searchFrom) != placed)
    return;

  TreeItemInfo info;
  info.displayText = text;
  info.name = entry.name;
  ParseDisplayText(&info);
  const std::string fields = text + " (name '" + entry.name + "', rank '" + entry.rank + "')";
  FuzzCheck(info.flags == FlagsOf(entry.flags), "flags of the letters", fields + " -> " + std::to_string(info.flags));
  FuzzCheck(info.rank == entry.rank, "rank between letters and name", fields + " -> '" + info.rank + "'");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The parse reports names it cannot find on standard output.
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool())
    KnownFields(input);
  else
    FreeText(input);
  return 0;
}
