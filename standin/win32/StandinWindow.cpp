#include "standin/win32/StandinWindow.h"

#include <vector>

namespace standin {

namespace {

// Image indices as the client's icon table has them.
constexpr int kServerIcon = 0;
constexpr int kChannelIcon = 1;
constexpr int kUserIcon = 2;
constexpr int kDisconnectedIcon = 14;

constexpr int kControlHeight = 22;

int IconOf(const Entry& entry, int kindIcon) { return entry.icon >= 0 ? entry.icon : kindIcon; }

// An empty dialog template: no controls, no menu, default class, empty title.
// The controls are created as child windows afterwards.
struct alignas(4) EmptyDialog {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};

}  // namespace

int StandinWindow::Item::KindIcon() const { return kind == Kind::User ? kUserIcon : kChannelIcon; }

StandinWindow::StandinWindow(RecordBook& records) : records_(records) {
  EmptyDialog dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.header.cx = 200;
  dialog.header.cy = 300;
  dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, nullptr, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
  if (!dialog_)
    return;
  CreateControls();
  // The title last: the window counts as a client's main window only once it is complete.
  SetWindowTextA(dialog_, "Ventrilo");
}

StandinWindow::~StandinWindow() {
  if (dialog_)
    DestroyWindow(dialog_);
}

void StandinWindow::CreateControls() {
  const auto child = [this](const char* windowClass, const char* text, DWORD style, int row, int width) {
    return CreateWindowExA(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 8, 8 + row * (kControlHeight + 4),
                           width, kControlHeight, dialog_, nullptr, GetModuleHandleA(nullptr), nullptr);
  };
  child("Static", "User name:", 0, 0, 80);
  combo_ = child("ComboBox", "", CBS_DROPDOWN, 1, 160);
  child("Button", "&Connect", BS_PUSHBUTTON, 2, 100);
  child("Button", "Disc&onnect", BS_PUSHBUTTON, 3, 100);
  child("Button", "&Mute Sound", BS_AUTOCHECKBOX, 4, 100);
  child("Button", "Mute Microphone/Binds", BS_AUTOCHECKBOX, 5, 160);
  child("Static", "Channels:", 0, 6, 80);
  tree_ = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_SHOWSELALWAYS, 8, 200, 280,
                          360, dialog_, nullptr, GetModuleHandleA(nullptr), nullptr);
}

INT_PTR CALLBACK StandinWindow::DialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      return TRUE;
    case WM_NOTIFY: {
      // A tree view sends NM_RETURN to its parent when Enter is pressed on it
      // (Wine only while an item is selected).
      auto* self = reinterpret_cast<StandinWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (self && header->hwndFrom == self->tree_ && header->code == UINT(NM_RETURN)) {
        self->OnReturn();
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      return TRUE;  // the client lives until told to exit
    default:
      return FALSE;
  }
}

void StandinWindow::OnReturn() {
  const auto caret = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!caret || !items_.contains(localUser_))
    return;
  if (caret == root_) {
    Move(localUser_, "");
    return;
  }
  for (const auto& [name, item] : items_) {
    if (item.handle == caret) {
      if (item.kind == Kind::Channel)
        Move(localUser_, name);
      return;
    }
  }
}

HTREEITEM StandinWindow::Insert(HTREEITEM parent, const Entry& entry, int icon, std::uint32_t record) {
  const std::string text = DisplayText(entry);
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = icon;
  insert.item.iSelectedImage = icon;
  insert.item.lParam = record;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM StandinWindow::ParentHandle(const std::string& parent) const {
  // The server's channels and users are top-level items after the root.
  return parent.empty() ? TVI_ROOT : items_.at(parent).handle;
}

bool StandinWindow::IsChannel(const std::string& name) const {
  if (name.empty())
    return true;
  const auto found = items_.find(name);
  return found != items_.end() && found->second.kind == Kind::Channel;
}

void StandinWindow::Show(Item& item) {
  item.record = records_.New(item.entry);
  Reinsert(item);
}

void StandinWindow::Reinsert(Item& item) {
  item.handle = Insert(ParentHandle(item.parent), item.entry, IconOf(item.entry, item.KindIcon()), item.record);
}

void StandinWindow::ShowChildren(const std::string& parent, bool newRecords) {
  for (auto& [name, item] : items_) {
    if (item.parent != parent)
      continue;
    if (newRecords)
      Show(item);
    else
      Reinsert(item);
    if (item.kind == Kind::Channel)
      ShowChildren(name, newRecords);
  }
}

void StandinWindow::Redraw(const Entry& entry, std::uint32_t record, HTREEITEM handle, int kindIcon) {
  records_.Update(record, entry);
  if (!handle)
    return;
  const std::string text = DisplayText(entry);
  TVITEMA change{};
  change.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  change.hItem = handle;
  change.pszText = const_cast<char*>(text.c_str());
  change.iImage = change.iSelectedImage = IconOf(entry, kindIcon);
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

std::string StandinWindow::Edit(const std::string& name, const std::function<void(Entry&)>& change) {
  if (name.empty()) {
    change(server_);
    Redraw(server_, serverRecord_, connected_ ? root_ : nullptr, kServerIcon);
    return "";
  }
  const auto found = items_.find(name);
  if (found == items_.end())
    return "no item " + name;
  Item& item = found->second;
  change(item.entry);
  Redraw(item.entry, item.record, item.handle, item.KindIcon());
  return "";
}

std::string StandinWindow::Connect(const std::string& serverName) {
  SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  server_.name = serverName;
  serverRecord_ = records_.New(server_);
  root_ = Insert(TVI_ROOT, server_, IconOf(server_, kServerIcon), serverRecord_);
  connected_ = true;
  ShowChildren("", true);
  return root_ ? "" : "tree view refused the server item";
}

std::string StandinWindow::Disconnect() {
  SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  connected_ = false;
  for (auto& entry : items_)
    entry.second.handle = nullptr;
  Entry status;
  status.name = "Not connected";
  root_ = Insert(TVI_ROOT, status, kDisconnectedIcon, records_.New(status));
  return "";
}

std::string StandinWindow::Add(const std::string& parent, const std::string& name, Kind kind) {
  if (!IsChannel(parent))
    return "no channel " + parent;
  if (name.empty() || items_.contains(name))
    return "name taken: " + name;
  Item item{Entry{}, kind, parent};
  item.entry.name = name;
  if (connected_)
    Show(item);
  items_.emplace(name, item);
  return "";
}

std::string StandinWindow::AddChannel(const std::string& parent, const std::string& name) {
  return Add(parent, name, Kind::Channel);
}

std::string StandinWindow::AddUser(const std::string& channel, const std::string& name) {
  return Add(channel, name, Kind::User);
}

std::string StandinWindow::Move(const std::string& name, const std::string& channel) {
  const auto found = items_.find(name);
  if (found == items_.end())
    return "no item " + name;
  if (!IsChannel(channel))
    return "no channel " + channel;
  for (std::string above = channel; !above.empty(); above = items_.at(above).parent) {
    if (above == name)
      return "into its own subtree: " + name;
  }
  Item& item = found->second;
  item.parent = channel;
  // As the client does: the item is deleted (with its subtree) and inserted
  // again under its new parent, everything below it too, with the same records.
  if (connected_) {
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item.handle));
    Reinsert(item);
    if (item.kind == Kind::Channel)
      ShowChildren(name, false);
  }
  return "";
}

std::string StandinWindow::SetFlags(const std::string& name, const std::string& letters) {
  return Edit(name, [&](Entry& entry) { entry.flags = letters; });
}

std::string StandinWindow::SetComment(const std::string& name, const std::string& comment, const std::string& url) {
  return Edit(name, [&](Entry& entry) {
    entry.comment = comment;
    entry.commentURL = url;
  });
}

std::string StandinWindow::SetRank(const std::string& name, const std::string& rank, std::uint16_t rankID) {
  return Edit(name, [&](Entry& entry) {
    entry.rank = rank;
    entry.rankID = rankID;
  });
}

std::string StandinWindow::SetPronunciation(const std::string& name, const std::string& pronunciation) {
  return Edit(name, [&](Entry& entry) { entry.pronunciation = pronunciation; });
}

std::string StandinWindow::SetSuffix(const std::string& name, const std::string& suffix) {
  return Edit(name, [&](Entry& entry) { entry.suffix = suffix; });
}

std::string StandinWindow::SetIcon(const std::string& name, int icon) {
  return Edit(name, [&](Entry& entry) { entry.icon = icon; });
}

std::string StandinWindow::Rename(const std::string& name, const std::string& newName) {
  const auto found = items_.find(name);
  if (found == items_.end())
    return "no item " + name;
  if (newName.empty() || items_.contains(newName))
    return "name taken: " + newName;
  auto node = items_.extract(found);
  node.key() = newName;
  Item& item = node.mapped();
  item.entry.name = newName;
  Redraw(item.entry, item.record, item.handle, item.KindIcon());
  items_.insert(std::move(node));
  for (auto& entry : items_) {
    if (entry.second.parent == name)
      entry.second.parent = newName;
  }
  if (localUser_ == name)
    SetLocalUser(newName);
  return "";
}

void StandinWindow::Forget(const std::string& name) {
  std::vector<std::string> children;
  for (const auto& [childName, item] : items_) {
    if (item.parent == name)
      children.push_back(childName);
  }
  for (const auto& child : children)
    Forget(child);
  items_.erase(name);
}

std::string StandinWindow::Remove(const std::string& name) {
  const auto found = items_.find(name);
  if (found == items_.end())
    return "no item " + name;
  // Deleting an item deletes its subtree in the tree view.
  if (found->second.handle)
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(found->second.handle));
  Forget(name);
  return "";
}

std::string StandinWindow::Select(const std::string& name) {
  const HTREEITEM handle = name.empty() ? root_ : items_.contains(name) ? items_.at(name).handle : nullptr;
  if (!handle)
    return "not shown: " + name;
  return SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle)) ? "" : "refused";
}

void StandinWindow::SetLocalUser(const std::string& name) {
  localUser_ = name;
  SetWindowTextA(combo_, name.c_str());
}

std::string StandinWindow::ChannelOf(const std::string& user, std::string* channel) const {
  const auto found = items_.find(user);
  if (found == items_.end())
    return "no user " + user;
  *channel = found->second.parent;
  return "";
}

}  // namespace standin
