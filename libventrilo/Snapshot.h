#pragma once

#include "libventrilo/ISnapshot.h"
#include "libventrilo/Server.h"
#include "libventrilo/SnapshotItems.h"

#include <memory>
#include <string>
#include <vector>

class VentRemoteMemory;

// What one client showed at one moment: its tree view with the server,
// channels and users read from it, the selected item, the client's own user,
// its connect, disconnect and mute buttons and the user name of its first
// combo box. Built by Ventrilo::TakeSnapshot, one child window at a time, and
// read-only from then on, on any thread.
class Snapshot final : public ISnapshot {
 public:
  // Takes the capture time now. `memory`, the client instance's memory in the
  // client process, is lent for the capture only; the snapshot holds no
  // reference on its instance.
  // `unansweredBefore` are the items the walk before this one, in the same
  // capture, could not read (empty for the first walk).
  Snapshot(VentRemoteMemory* memory, std::vector<HTREEITEM> unansweredBefore);

  DWORD GetTimestamp() override;
  bool GetSelectedItem(ITreeItem** out) override;
  HWND GetTreeView() override;
  HWND GetDisconnectButton() override;
  HWND GetConnectButton() override;
  HWND GetMuteSoundButton(bool* checked) override;
  HWND GetMuteMicrophoneButton(bool* checked) override;
  int GetTableA(SnapshotTable** out) override;
  int GetTableB(SnapshotTable** out) override;
  int GetTableC(SnapshotTable** out) override;
  bool GetLocalUser(IUser** out) override;
  bool GetServer(IServer** out) override;
  // Laid out once, when the capture is complete.
  const SnapshotItems& GetItems() override { return items_; }

  // The capture step for one child window of the client's main window.
  // Returns false when the walk ends here: the client stopped answering
  // (Stopped()), or its tree changed under the walk in a way the walk would
  // misread (Torn()); the snapshot must then be dropped.
  bool CaptureWindow(HWND window);
  bool Stopped() const { return stopped_; }
  // Whether the walk does not hold together: an item it was given vanished
  // before it was read, the root's record could not be read, or a control
  // vanished before its text was read and no tree view was found (the
  // vanished control may have been the tree view). Walking again may help.
  bool Torn() const { return torn_ || (treeView_ == nullptr && controlVanished_); }
  // The items this walk was given and could not read.
  const std::vector<HTREEITEM>& Unanswered() const { return unanswered_; }
  // Whether the root shows the client disconnected, by its image.
  bool ShowsDisconnected() const;
  // Lays the items out flat for GetItems(); called once, after the last window.
  void CompleteCapture();

 private:
  ~Snapshot() override = default;

  bool ReadTree(HWND tree);
  bool VisitItems(UINT relation, HTREEITEM from, Channel* parent);
  bool VisitItem(HTREEITEM item, Channel* parent);
  bool ReadItem(HTREEITEM item, TreeItemInfo* info, bool* whole);
  bool NextItem(UINT relation, HTREEITEM from, HTREEITEM* out);

  DWORD timestamp_;
  int comboBoxCount_ = 0;
  bool controlVanished_ = false;
  bool stopped_ = false;
  bool torn_ = false;
  std::string userName_;
  User* localUser_ = nullptr;
  HTREEITEM selectedHandle_ = nullptr;
  ITreeItem* selectedItem_ = nullptr;
  HWND treeView_ = nullptr;
  HWND disconnectButton_ = nullptr;
  HWND connectButton_ = nullptr;
  HWND muteSoundButton_ = nullptr;
  bool muteSoundChecked_ = false;
  HWND muteMicrophoneButton_ = nullptr;
  bool muteMicrophoneChecked_ = false;
  SnapshotTable tableA_;
  SnapshotTable tableB_;
  SnapshotTable tableC_;
  VentRemoteMemory* memory_;
  std::vector<HTREEITEM> unansweredBefore_;
  std::vector<HTREEITEM> unanswered_;
  std::unique_ptr<Server> server_;
  SnapshotItems items_;
};
