#pragma once

#include "libventrilo/VentReferenceCounted.h"
#include "platform/Win32.h"

#include <cstdint>
#include <map>
#include <string>

class ITreeItem;
class IServer;
class IUser;
class SnapshotItems;

// A table a snapshot can carry: 32-bit key to text. Captures leave it empty.
typedef std::map<std::uint32_t, std::string> SnapshotTable;

// What one client showed at one moment. Immutable once captured; the items it
// hands out belong to it and live as long as a reference to it is held.
class ISnapshot : public VentReferenceCounted {
 public:
  virtual DWORD GetTimestamp() = 0;
  virtual bool GetSelectedItem(ITreeItem** out) = 0;
  virtual HWND GetTreeView() = 0;
  virtual HWND GetDisconnectButton() = 0;
  virtual HWND GetConnectButton() = 0;
  virtual HWND GetMuteSoundButton(bool* checked) = 0;
  virtual HWND GetMuteMicrophoneButton(bool* checked) = 0;
  virtual int GetTableA(SnapshotTable** out) = 0;
  virtual int GetTableB(SnapshotTable** out) = 0;
  virtual int GetTableC(SnapshotTable** out) = 0;
  virtual bool GetLocalUser(IUser** out) = 0;
  virtual bool GetServer(IServer** out) = 0;
  // GetServer()'s tree laid out flat (empty without a server), for readers
  // that walk every item and compare it with what they already know.
  virtual const SnapshotItems& GetItems() = 0;
};
