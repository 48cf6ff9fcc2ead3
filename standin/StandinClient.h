// A stand-in for the Ventrilo client on the simulated desktop. It shows exactly
// what a module reading the client relies on, and lives like a client:
//  - a top-level "#32770" window titled "Ventrilo" with a "ComboBox" holding the
//    local user's name, "Button"s captioned "&Connect", "Disc&onnect",
//    "&Mute Sound" and "Mute Microphone/Binds", a few "Static" labels and one
//    "SysTreeView32";
//  - in the tree, the root item is the server; the server's users and channels
//    follow the root as top-level items; a channel's users and sub-channels are
//    its children; image indices as the client's icon table has them;
//  - for every item a 156-byte record in the client's memory at the item's
//    lParam: rank id at 0x7E, and at 0x88, 0x8C, 0x90, 0x94 the addresses of
//    the name, pronunciation, comment and comment URL; an empty string is
//    stored as the address 0x0053311C, which the client keeps mapped;
//  - Enter on the tree view with a channel selected moves the local user there.
// Items are named by their name (names are unique within a stand-in's roster;
// "" names the server). Every change runs on the client's window thread.
#pragma once

#include "platform/Win32.h"
#include "standin/RecordLayout.h"
#include "standin/Roster.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin {

class StandinClient {
 public:
  // Starts a client process showing `roster`, connected.
  explicit StandinClient(const Roster& roster);
  // Exits the process (if it has not exited yet).
  ~StandinClient();

  StandinClient(const StandinClient&) = delete;
  StandinClient& operator=(const StandinClient&) = delete;

  DWORD ProcessId() const;
  HWND Window() const;  // the main dialog; 0 while closed
  HWND TreeView() const;
  HWND ComboBox() const;
  HWND ConnectButton() const;
  HWND DisconnectButton() const;

  // ---- what the client shows
  HTREEITEM Item(const std::string& name) const;        // 0 when not shown
  std::uint32_t Record(const std::string& name) const;  // the item's record address; 0 when not shown
  // The name of the channel that holds the user ("" for the server's top level).
  std::string ChannelOf(const std::string& user) const;
  std::string LocalUser() const;
  bool IsConnected() const;

  // ---- the roster lives
  void AddUser(const std::string& channel, const Entry& user);
  void AddChannel(const std::string& parent, const Channel& channel);
  void Remove(const std::string& name);  // a user, or a channel with its subtree
  // Moves a user or channel under `channel`: the item is deleted and inserted
  // again (a tree view cannot move an item), so its handle changes; its record stays.
  void Move(const std::string& name, const std::string& channel);
  void Rename(const std::string& name, const std::string& newName);
  void SetFlags(const std::string& name, const std::string& letters);
  void SetRank(const std::string& name, const std::string& rank, std::uint16_t rankID);
  void SetComment(const std::string& name, const std::string& comment, const std::string& url);
  void SetPronunciation(const std::string& name, const std::string& pronunciation);
  void SetSuffix(const std::string& name, const std::string& suffix);
  void SetIcon(const std::string& name, int icon);  // e.g. 3 while talking
  void SetLocalUser(const std::string& name);       // the combo box text
  void Select(const std::string& name);             // as a click would

  // ---- connection and life
  // The tree is cleared and the root shows "netstatus.ico" (icon 14).
  void Disconnect();
  // Connects again: the roster is shown afresh, with new records (new item keys).
  void Reconnect();
  // Without any tree view item at all (no root): as a client before its first connect.
  void ClearTree();
  void CloseWindow();   // destroys the main window; the process lives
  void ReopenWindow();  // creates the main window again (a new handle)
  void Exit();          // the process ends

  // Direct access to the client's memory, for tests that corrupt it.
  std::uint32_t AllocateString(const std::string& text);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace standin
