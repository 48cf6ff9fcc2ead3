#pragma once

#include "libventrilo/ISnapshot.h"
#include "libventrilo/Server.h"
#include "libventrilo/SnapshotItems.h"

#include <memory>
#include <string>

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
  explicit Snapshot(VentRemoteMemory* memory);

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
  // Returns false when the snapshot cannot show the client as it was (the
  // client stopped answering, or its tree changed under the walk in a way the
  // walk would misread); it must then be dropped.
  bool CaptureWindow(HWND window);
  // Whether what was captured may be kept: false when a control vanished
  // before its text was read and no tree view was found, as the vanished
  // control may have been the tree view.
  bool IsComplete() const { return treeView_ != nullptr || !controlVanished_; }
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
  std::unique_ptr<Server> server_;
  SnapshotItems items_;
};
