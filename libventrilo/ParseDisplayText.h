#pragma once

struct TreeItemInfo;

// Derives the flags and the rank of an item from its display text, which the
// client draws as
//     "<flag letters>" <rank> <name> <anything>
// with empty parts left out. When the text starts with the letters and their
// closing quote, the name is looked for after that quote, so a name that also
// stands among the letters ("A" named A) is not taken from there; the rank is
// what stands between the letters and the name. A quote counts as the
// letters' closing one only when a space, the name or the end of the text
// follows it, so a name that starts with a quote and starts the text (" named
// ", shown as " "A") is not split into letters and a rank. Of the places the name
// occurs, the first one the client could have drawn it at (after a space, the
// closing quote or the start, and before a space or the end) wins, so a rank
// that contains the name (Officer for Off) is not cut short; a text with no
// such place falls back to the name's first occurrence. An empty name stands
// at the very start. Only the text before the name counts. When the name does
// not occur, a line saying so goes to standard output and flags and rank are
// left as they were.
void ParseDisplayText(TreeItemInfo* info);
