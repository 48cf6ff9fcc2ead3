#pragma once

struct TreeItemInfo;

// Derives the flags and the rank of an item from its display text, which the
// client draws as
//     "<flag letters>" <rank> <name> <anything>
// with empty parts left out. Only the text before the first occurrence of the
// name counts. When the name does not occur, a line saying so goes to standard
// output and flags and rank are left as they were.
void ParseDisplayText(TreeItemInfo* info);
