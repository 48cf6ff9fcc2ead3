#pragma once

#include "platform/Win32.h"

class VentRemoteMemory;
struct TreeItemInfo;

// Reads one item of a client's tree view into `*info`, which must be a fresh
// record: its display text and, through the client's own record for the item,
// its image, name, pronunciation, comment, comment URL, rank id, rank and
// flags. The tree view fills TVITEMA structures and texts at addresses of its
// own process, so they go through the buffers of `memory`.
//
// Returns true when the image, the item data and the client's record were all
// read; on false `info` holds what was read before the failure: the icon id is
// set whenever the image was obtained (an item whose record could not be read
// has it too) and stays -1 otherwise. An item for which the tree view answers
// FALSE (it no longer knows the item, or cannot give it) sets `*itemGone`
// when given; telling the two apart is the caller's job. When the tree view did not answer at all (see VentSendMessage),
// `*answered` becomes false and the result is false; otherwise `*answered` is
// left as it was. An unanswered request may still be answered later, into the
// buffers it named, so `memory` then abandons them (VentRemoteMemory::Abandon);
// an answered one frees the abandoned ones (VentRemoteMemory::Drained).
bool ReadTreeItem(HWND tree, HTREEITEM item, VentRemoteMemory* memory, TreeItemInfo* info, bool* answered,
                  bool* itemGone = nullptr);
