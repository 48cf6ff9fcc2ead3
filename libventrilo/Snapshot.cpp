#include "libventrilo/Snapshot.h"

#include "libventrilo/ClientIcons.h"
#include "libventrilo/ReadTreeItem.h"
#include "libventrilo/VentFailureBox.h"
#include "libventrilo/VentSendMessage.h"
#include "libventrilo/VentRemoteMemory.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr int kTextSize = 256;

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  }
  return *a == *b;
}

}  // namespace

Snapshot::Snapshot(VentRemoteMemory* memory, std::vector<HTREEITEM> unansweredBefore)
    : timestamp_(GetTickCount()), memory_(memory), unansweredBefore_(std::move(unansweredBefore)) {}

DWORD Snapshot::GetTimestamp() { return timestamp_; }

bool Snapshot::GetSelectedItem(ITreeItem** out) {
  if (!selectedItem_)
    return false;
  *out = selectedItem_;
  return true;
}

HWND Snapshot::GetTreeView() { return treeView_; }

HWND Snapshot::GetDisconnectButton() { return disconnectButton_; }

HWND Snapshot::GetConnectButton() { return connectButton_; }

HWND Snapshot::GetMuteSoundButton(bool* checked) {
  *checked = muteSoundChecked_;
  return muteSoundButton_;
}

HWND Snapshot::GetMuteMicrophoneButton(bool* checked) {
  *checked = muteMicrophoneChecked_;
  return muteMicrophoneButton_;
}

int Snapshot::GetTableA(SnapshotTable** out) {
  *out = &tableA_;
  return static_cast<int>(tableA_.size());
}

int Snapshot::GetTableB(SnapshotTable** out) {
  *out = &tableB_;
  return static_cast<int>(tableB_.size());
}

int Snapshot::GetTableC(SnapshotTable** out) {
  *out = &tableC_;
  return static_cast<int>(tableC_.size());
}

bool Snapshot::GetLocalUser(IUser** out) {
  if (!localUser_)
    return false;
  *out = localUser_;
  return true;
}

bool Snapshot::GetServer(IServer** out) {
  if (!server_)
    return false;
  *out = server_.get();
  return true;
}

bool Snapshot::CaptureWindow(HWND window) {
  // WM_GETTEXT, not GetWindowTextA: for a control of another process the
  // latter answers the system-stored title without asking the control.
  char text[kTextSize] = "";
  LRESULT length = 0;
  if (!VentSendMessage(window, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text), &length)) {
    // A control the client destroyed meanwhile reads as empty text (and, its
    // class gone with it, is passed over); one that is there and does not
    // answer means the client stopped answering.
    if (IsWindow(window)) {
      stopped_ = true;
      return false;
    }
    controlVanished_ = true;
    text[0] = 0;
  }
  text[kTextSize - 1] = 0;
  // The real class: the client's controls may be superclassed.
  char className[kTextSize] = "";
  RealGetWindowClassA(window, className, kTextSize);

  if (EqualsIgnoringCase(className, "ComboBox")) {
    if (++comboBoxCount_ == 1)
      userName_ = text;
  } else if (EqualsIgnoringCase(className, "Button")) {
    if (EqualsIgnoringCase(text, "Disc&onnect"))
      disconnectButton_ = window;
    else if (EqualsIgnoringCase(text, "&Connect"))
      connectButton_ = window;
    else if (EqualsIgnoringCase(text, "&Mute Sound"))
      muteSoundButton_ = window;
    else if (EqualsIgnoringCase(text, "Mute Microphone/Binds"))
      muteMicrophoneButton_ = window;
  } else if (EqualsIgnoringCase(className, "SysTreeView32")) {
    return ReadTree(window);
  }
  return true;
}

bool Snapshot::ShowsDisconnected() const { return server_ != nullptr && server_->GetIconID() == kDisconnectedIcon; }

void Snapshot::CompleteCapture() { items_.Build(server_.get()); }

// Reads the tree view's items into a fresh server. The client shows one tree
// view; should a second one come, it replaces the first one's handle,
// selection and items, and the first tree is freed.
bool Snapshot::ReadTree(HWND tree) {
  treeView_ = tree;
  server_.reset();
  selectedItem_ = nullptr;
  localUser_ = nullptr;
  HTREEITEM root = nullptr;
  if (!NextItem(TVGN_CARET, nullptr, &selectedHandle_) || !NextItem(TVGN_ROOT, nullptr, &root))
    return false;
  if (!root)
    return true;

  // A server whose record cannot be read would have no item key and become a
  // new element on every cycle: no snapshot until it can be read, unless its
  // image shows the client disconnected, which needs no record.
  TreeItemInfo info;
  bool whole = true;
  if (!ReadItem(root, &info, &whole))
    return false;
  if (!whole && info.iconID != kDisconnectedIcon) {
    torn_ = true;
    return false;
  }
  // The root is the server whatever its icon: a client shows its connection
  // state there. The server's channels and users follow it at the top level;
  // the root's own children are not read.
  server_ = std::make_unique<Server>(std::move(info), root);
  if (root == selectedHandle_)
    selectedItem_ = static_cast<IServer*>(server_.get());
  return VisitItems(TVGN_NEXT, root, server_.get());
}

// Reads `item` and, for a channel, its subtree, adding what is found to
// `parent`. Items with other icons are skipped with everything below them.
bool Snapshot::VisitItem(HTREEITEM item, Channel* parent) {
  TreeItemInfo info;
  bool whole = true;
  if (!ReadItem(item, &info, &whole))
    return false;
  // An item whose record cannot be read is skipped with its subtree, as it
  // will be on every cycle while the record stays so.
  if (!whole)
    return true;

  switch (KindOfIcon(info.iconID)) {
    case ItemKind::Skipped:
      return true;
    case ItemKind::Channel: {
      Channel* channel = parent->AddChannel(std::make_unique<Channel>(std::move(info), item));
      if (item == selectedHandle_)
        selectedItem_ = static_cast<IChannel*>(channel);
      return VisitItems(TVGN_CHILD, item, channel);
    }
    case ItemKind::User: {
      User* user = parent->AddUser(std::make_unique<User>(std::move(info), item));
      if (item == selectedHandle_)
        selectedItem_ = user;
      // A phantom is never the client's own user; the last match wins.
      if ((user->GetFlags() & kFlagPhantom) == 0 && userName_ == user->GetName())
        localUser_ = user;
      return true;
    }
  }
  return true;
}

// Visits the item in `relation` to `from` and each next sibling after it.
bool Snapshot::VisitItems(UINT relation, HTREEITEM from, Channel* parent) {
  HTREEITEM item = nullptr;
  if (!NextItem(relation, from, &item))
    return false;
  while (item) {
    if (!VisitItem(item, parent) || !NextItem(TVGN_NEXT, item, &item))
      return false;
  }
  return true;
}

// Reads one item; `*whole` tells whether its record was read. False when the
// tree view did not answer, or answered FALSE for an item the walk has just
// been given. That is the client deleting the item meanwhile, routinely (the
// walk would take the gap it leaves for the end of its list): the walk is torn
// and is repeated. Only when the walk before this one could not read the
// same handle either does the tree view fail to answer an item it still
// shows: that is reported in a "Treeview_GetItem failed" box (VentFailureBox:
// it does not hold up the caller) and the capture ends.
bool Snapshot::ReadItem(HTREEITEM item, TreeItemInfo* info, bool* whole) {
  bool answered = true;
  bool gone = false;
  *whole = ReadTreeItem(treeView_, item, memory_, info, &answered, &gone);
  if (!answered) {
    stopped_ = true;
    return false;
  }
  if (!gone)
    return true;
  unanswered_.push_back(item);
  if (std::find(unansweredBefore_.begin(), unansweredBefore_.end(), item) != unansweredBefore_.end()) {
    VentFailureBox::Show("Treeview_GetItem failed", "error");
    stopped_ = true;
  } else {
    torn_ = true;
  }
  return false;
}

bool Snapshot::NextItem(UINT relation, HTREEITEM from, HTREEITEM* out) {
  LRESULT answer = 0;
  if (!VentSendMessage(treeView_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from), &answer)) {
    stopped_ = true;
    return false;
  }
  *out = reinterpret_cast<HTREEITEM>(answer);
  return true;
}
