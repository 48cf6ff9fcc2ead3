#pragma once

#include "platform/Win32.h"

#include <cstdint>

struct TreeItemInfo;

// What every item of a client's tree answers. Texts point into the item and
// live as long as the item, that is as long as its snapshot is referenced.
class ITreeItem {
 public:
  virtual int GetIconID() = 0;
  virtual HTREEITEM GetHandle() = 0;
  // The address of the client's own record for the item: its identity from one
  // snapshot to the next.
  virtual std::uint32_t GetRecordAddress() = 0;
  virtual const char* GetDisplayText() = 0;
  virtual const char* GetName() = 0;
  virtual const char* GetPronunciation() = 0;
  virtual const char* GetComment() = 0;
  virtual const char* GetCommentURL() = 0;
  virtual const char* GetRank() = 0;
  virtual std::uint32_t GetFlags() = 0;
  virtual std::uint32_t GetRankID() = 0;
  // Every value above but the handle, as one record (its rank id the low 16
  // bits of GetRankID), so that a reader compares an item with what it knows
  // without a call per attribute.
  virtual const TreeItemInfo& GetInfo() = 0;

 protected:
  ~ITreeItem() = default;
};
