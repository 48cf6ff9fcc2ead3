// The stand-in client's main window: a real "#32770" dialog titled "Ventrilo"
// holding a "ComboBox" with the local user's name, the four "Button"s a reader
// looks for, "Static" labels and one "SysTreeView32". The tree shows the server
// as its root item; the server's channels and users follow the root as
// top-level items, a channel's users and sub-channels are its children. Every
// item's lParam is the address of its record (RecordBook), the image index
// tells its kind (server 0, channel 1, user 2, disconnected root 14).
//
// Items are named by their name; "" names the server's top level. Everything
// runs on the thread that created the window. Operations answer an empty text
// on success and an error text otherwise.
#pragma once

#include "standin/Roster.h"
#include "standin/win32/RecordBook.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace standin {

class StandinWindow {
 public:
  explicit StandinWindow(RecordBook& records);
  ~StandinWindow();

  StandinWindow(const StandinWindow&) = delete;
  StandinWindow& operator=(const StandinWindow&) = delete;

  HWND Handle() const { return dialog_; }

  // Shows the server and everything added so far, with new records (so new item keys).
  std::string Connect(const std::string& serverName);
  // Clears the tree; a root showing the disconnected icon remains.
  std::string Disconnect();
  std::string AddChannel(const std::string& parent, const std::string& name);
  std::string AddUser(const std::string& channel, const std::string& name);
  // Moves a user or a channel. A tree view cannot move an item: it is deleted
  // and inserted again (a channel with everything below it), so its handle
  // may change while its record stays.
  std::string Move(const std::string& name, const std::string& channel);
  // The attributes of an item ("" is the server): its record and its line in
  // the tree follow.
  std::string SetFlags(const std::string& name, const std::string& letters);
  std::string SetComment(const std::string& name, const std::string& comment, const std::string& url);
  std::string SetRank(const std::string& name, const std::string& rank, std::uint16_t rankID);
  std::string SetPronunciation(const std::string& name, const std::string& pronunciation);
  std::string SetSuffix(const std::string& name, const std::string& suffix);
  // The image index, e.g. 3 while a user talks.
  std::string SetIcon(const std::string& name, int icon);
  std::string Rename(const std::string& name, const std::string& newName);
  // A user, or a channel with everything below it.
  std::string Remove(const std::string& name);
  std::string Select(const std::string& name);
  void SetLocalUser(const std::string& name);
  // The channel holding `user` ("" for the server's top level).
  std::string ChannelOf(const std::string& user, std::string* channel) const;

 private:
  enum class Kind { Channel, User };
  struct Item {
    Entry entry;
    Kind kind;
    std::string parent;
    HTREEITEM handle = nullptr;
    std::uint32_t record = 0;
    int KindIcon() const;  // the image index shown while the entry sets none
  };

  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void OnReturn();

  HTREEITEM Insert(HTREEITEM parent, const Entry& entry, int icon, std::uint32_t record);
  std::string Add(const std::string& parent, const std::string& name, Kind kind);
  // Inserts the item under its parent with a new record.
  void Show(Item& item);
  // Inserts the items below `parent`, with new records or with their own.
  void ShowChildren(const std::string& parent, bool newRecords);
  // Inserts the item under its parent with its record.
  void Reinsert(Item& item);
  // Changes the entry of `name`, then rewrites its record and redraws its item.
  std::string Edit(const std::string& name, const std::function<void(Entry&)>& change);
  void Redraw(const Entry& entry, std::uint32_t record, HTREEITEM handle, int kindIcon);
  HTREEITEM ParentHandle(const std::string& parent) const;
  bool IsChannel(const std::string& name) const;
  void Forget(const std::string& name);

  RecordBook& records_;
  HWND dialog_ = nullptr;
  HWND tree_ = nullptr;
  HWND combo_ = nullptr;
  bool connected_ = false;
  Entry server_;
  std::uint32_t serverRecord_ = 0;
  HTREEITEM root_ = nullptr;  // the server's item, or the disconnected root
  std::string localUser_;
  std::map<std::string, Item> items_;
};

}  // namespace standin
