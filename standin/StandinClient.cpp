#include "standin/StandinClient.h"

#include "platform/sim/SimDesktop.h"
#include "standin/ItemRecord.h"
#include "standin/RemoteArena.h"
#include "standin/RosterNode.h"

#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace standin {

namespace {

// The client's image keeps the empty string in its read-only data; the pages
// from the section start up to that byte are committed before anything else.
constexpr std::uint32_t kImageDataBase = 0x00530000u;

// The root a disconnected client leaves in its tree.
constexpr int kNetStatusImage = 14;
constexpr const char* kNetStatusText = "Not connected";

using Kind = RosterNode::Kind;

std::unique_ptr<RosterNode> BuildChannel(const Channel& channel) {
  auto node = std::make_unique<RosterNode>(Kind::Channel, channel.entry);
  for (const Entry& user : channel.users)
    node->Adopt(std::make_unique<RosterNode>(Kind::User, user));
  for (const Channel& child : channel.channels)
    node->Adopt(BuildChannel(child));
  return node;
}

}  // namespace

// The client's state. Everything here changes on the client's window thread
// (under sim::RunOnWindowThread, or inside a message the dialog handles), so a
// reader of the tree or the records never meets a change half made. The mutex
// guards the same state against this object's own getters, which run on the
// test's thread without the window thread; it is always taken after the
// window-thread lock, never before.
class StandinClient::Impl {
 public:
  enum class Link { Connected, Disconnected, Blank };

  explicit Impl(const Roster& roster);

  // Runs `work` on the window thread, unless the process has ended.
  void Change(const std::function<void()>& work);
  // Runs `read` under the state's mutex.
  template <class Read>
  auto Inspect(Read&& read) {
    std::lock_guard<std::mutex> lock(mutex_);
    return read();
  }

  RosterNode* Find(const std::string& name);
  void AddNode(RosterNode& parent, std::unique_ptr<RosterNode> node);
  void RemoveNode(RosterNode& node);
  void MoveNode(RosterNode& node, RosterNode& channel);
  void RenameNode(RosterNode& node, const std::string& newName);
  void SetText(RosterNode& node, ItemRecord::Text field, const std::string& text);
  void SetLocalUser(const std::string& name);
  // Redraws the node's item after a change of what its text or image shows.
  void Refresh(const RosterNode& node);
  void SetLink(Link link);
  void OpenWindow();
  void CloseWindow();
  // Marks the process as ended; the caller ends it outside the mutex.
  bool MarkExited();

  const DWORD processId;
  RemoteArena arena;
  std::unique_ptr<RosterNode> server;
  std::string localUser;
  Link link = Link::Connected;
  bool exited = false;
  HWND dialog = nullptr;
  HWND comboBox = nullptr;
  HWND connectButton = nullptr;
  HWND disconnectButton = nullptr;
  HWND treeView = nullptr;

 private:
  LRESULT DialogProc(UINT message, LPARAM lParam);
  // Enter on the tree: the local user joins the selected channel, or the
  // server's top level when the root is selected.
  void JoinSelection();
  void Index(RosterNode& node);
  void Unindex(RosterNode& node);
  void AssignRecords(RosterNode& node);
  // Rebuilds the whole tree view from the state.
  void ShowTree();
  // Inserts the node's item after `after`, then its subtree.
  void ShowNode(RosterNode& node, HTREEITEM after);
  // Shows a node just added to its parent in its place among its siblings.
  void ShowAdded(RosterNode& node);
  void HideNode(RosterNode& node);
  sim::TreeItemData ItemData(const RosterNode& node) const;

  std::mutex mutex_;
  std::unordered_map<std::string, RosterNode*> byName_;
  std::unordered_map<HTREEITEM, RosterNode*> byItem_;
  ItemRecord netStatusRecord_;
};

StandinClient::Impl::Impl(const Roster& roster)
    : processId(sim::CreateProcess("Ventrilo.exe")),
      arena(processId),
      server(std::make_unique<RosterNode>(Kind::Server, roster.server)),
      localUser(roster.localUser) {
  sim::Allocate(processId, kEmptyStringAddress + 1 - kImageDataBase, PAGE_READONLY, kImageDataBase);
  for (const Entry& user : roster.users)
    server->Adopt(std::make_unique<RosterNode>(Kind::User, user));
  for (const Channel& channel : roster.channels)
    server->Adopt(BuildChannel(channel));
  Index(*server);
  AssignRecords(*server);
  Change([this] { OpenWindow(); });
}

void StandinClient::Impl::Change(const std::function<void()>& work) {
  if (!sim::IsProcessAlive(processId))
    return;
  sim::RunOnWindowThread(processId, [&] {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!exited)
      work();
  });
}

RosterNode* StandinClient::Impl::Find(const std::string& name) {
  if (name.empty())
    return server.get();
  const auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : found->second;
}

void StandinClient::Impl::Index(RosterNode& node) {
  node.ForEach([this](RosterNode& each) {
    if (!each.entry.name.empty())
      byName_[each.entry.name] = &each;
  });
}

void StandinClient::Impl::Unindex(RosterNode& node) {
  node.ForEach([this](RosterNode& each) { byName_.erase(each.entry.name); });
}

void StandinClient::Impl::AssignRecords(RosterNode& node) {
  node.ForEach([this](RosterNode& each) {
    each.record = link == Link::Connected ? ItemRecord::Create(arena, each.entry) : ItemRecord();
  });
}

void StandinClient::Impl::AddNode(RosterNode& parent, std::unique_ptr<RosterNode> node) {
  RosterNode& added = parent.Adopt(std::move(node));
  Index(added);
  AssignRecords(added);
  ShowAdded(added);
}

void StandinClient::Impl::RemoveNode(RosterNode& node) {
  HideNode(node);
  Unindex(node);
  node.parent->Release(node);
}

void StandinClient::Impl::MoveNode(RosterNode& node, RosterNode& channel) {
  HideNode(node);
  RosterNode& moved = channel.Adopt(node.parent->Release(node));
  ShowAdded(moved);
}

void StandinClient::Impl::RenameNode(RosterNode& node, const std::string& newName) {
  byName_.erase(node.entry.name);
  node.entry.name = newName;
  if (!newName.empty())
    byName_[newName] = &node;
  SetText(node, ItemRecord::Text::Name, newName);
}

void StandinClient::Impl::SetText(RosterNode& node, ItemRecord::Text field, const std::string& text) {
  if (node.record)
    node.record.SetText(arena, field, text);
  Refresh(node);
}

void StandinClient::Impl::SetLocalUser(const std::string& name) {
  localUser = name;
  if (comboBox)
    sim::SetWindowText(comboBox, name);
}

void StandinClient::Impl::Refresh(const RosterNode& node) {
  if (node.item)
    sim::TreeSet(treeView, node.item, ItemData(node));
}

void StandinClient::Impl::SetLink(Link newLink) {
  link = newLink;
  AssignRecords(*server);
  netStatusRecord_ = link == Link::Disconnected ? ItemRecord::Create(arena, Entry{}) : ItemRecord();
  ShowTree();
}

void StandinClient::Impl::OpenWindow() {
  if (dialog)
    return;
  dialog = sim::CreateWindow(processId, "#32770", "Ventrilo", nullptr,
                             [this](HWND, UINT message, WPARAM, LPARAM lParam) { return DialogProc(message, lParam); });
  sim::CreateWindow(processId, "Static", "User Name", dialog);
  comboBox = sim::CreateWindow(processId, "ComboBox", localUser, dialog);
  connectButton = sim::CreateWindow(processId, "Button", "&Connect", dialog);
  disconnectButton = sim::CreateWindow(processId, "Button", "Disc&onnect", dialog);
  // The mute buttons sit inside a group box, so a reader meets them only by
  // walking the dialog's descendants, not just its children.
  const HWND soundGroup = sim::CreateWindow(processId, "Button", "Sound", dialog);
  sim::CreateWindow(processId, "Button", "&Mute Sound", soundGroup);
  sim::CreateWindow(processId, "Button", "Mute Microphone/Binds", soundGroup);
  sim::CreateWindow(processId, "Static", "Server", dialog);
  treeView = sim::CreateWindow(processId, "SysTreeView32", "", dialog);
  ShowTree();
}

void StandinClient::Impl::CloseWindow() {
  if (!dialog)
    return;
  sim::DestroyWindow(dialog);
  dialog = comboBox = connectButton = disconnectButton = treeView = nullptr;
  ShowTree();
}

bool StandinClient::Impl::MarkExited() {
  if (exited)
    return false;
  exited = true;
  dialog = comboBox = connectButton = disconnectButton = treeView = nullptr;
  ShowTree();
  return true;
}

LRESULT StandinClient::Impl::DialogProc(UINT message, LPARAM lParam) {
  if (message != WM_NOTIFY)
    return 0;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header || header->code != NM_RETURN)
    return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  if (header->hwndFrom == treeView)
    JoinSelection();
  return 0;
}

void StandinClient::Impl::JoinSelection() {
  if (link != Link::Connected)
    return;
  const auto selected = byItem_.find(sim::TreeSelection(treeView));
  RosterNode* me = localUser.empty() ? nullptr : Find(localUser);
  if (selected == byItem_.end() || !me || me->kind != Kind::User)
    return;
  RosterNode& target = *selected->second;
  if (target.kind != Kind::User && me->parent != &target)
    MoveNode(*me, target);
}

void StandinClient::Impl::ShowTree() {
  server->ForEach([](RosterNode& node) { node.item = nullptr; });
  byItem_.clear();
  if (!treeView)
    return;
  sim::TreeClear(treeView);
  if (link == Link::Connected)
    ShowNode(*server, TVI_LAST);
  else if (link == Link::Disconnected)
    sim::TreeInsert(treeView, TVI_ROOT, TVI_LAST,
                    sim::TreeItemData{kNetStatusText, kNetStatusImage, netStatusRecord_.Address()});
}

void StandinClient::Impl::ShowNode(RosterNode& node, HTREEITEM after) {
  // The server's users and channels follow its root item at the top level.
  const RosterNode* parent = node.parent;
  const HTREEITEM parentItem = !parent || parent->kind == Kind::Server ? TVI_ROOT : parent->item;
  node.item = sim::TreeInsert(treeView, parentItem, after, ItemData(node));
  byItem_[node.item] = &node;
  for (auto& user : node.users)
    ShowNode(*user, TVI_LAST);
  for (auto& channel : node.channels)
    ShowNode(*channel, TVI_LAST);
}

void StandinClient::Impl::ShowAdded(RosterNode& node) {
  const RosterNode& parent = *node.parent;
  if (!parent.item)
    return;
  HTREEITEM after = TVI_LAST;
  if (node.kind == Kind::User) {
    const RosterNode* before = parent.UserBefore(node);
    after = before ? before->item : parent.kind == Kind::Server ? parent.item : TVI_FIRST;
  }
  ShowNode(node, after);
}

void StandinClient::Impl::HideNode(RosterNode& node) {
  if (!node.item)
    return;
  sim::TreeDelete(treeView, node.item);
  node.ForEach([this](RosterNode& each) {
    byItem_.erase(each.item);
    each.item = nullptr;
  });
}

sim::TreeItemData StandinClient::Impl::ItemData(const RosterNode& node) const {
  return sim::TreeItemData{DisplayText(node.entry), node.Image(), node.record.Address()};
}

// ---------------------------------------------------------------- StandinClient

StandinClient::StandinClient(const Roster& roster) : impl_(std::make_unique<Impl>(roster)) {}

StandinClient::~StandinClient() { Exit(); }

DWORD StandinClient::ProcessId() const { return impl_->processId; }

HWND StandinClient::Window() const {
  return impl_->Inspect([this] { return impl_->dialog; });
}

HWND StandinClient::TreeView() const {
  return impl_->Inspect([this] { return impl_->treeView; });
}

HWND StandinClient::ComboBox() const {
  return impl_->Inspect([this] { return impl_->comboBox; });
}

HWND StandinClient::ConnectButton() const {
  return impl_->Inspect([this] { return impl_->connectButton; });
}

HWND StandinClient::DisconnectButton() const {
  return impl_->Inspect([this] { return impl_->disconnectButton; });
}

HTREEITEM StandinClient::Item(const std::string& name) const {
  return impl_->Inspect([&]() -> HTREEITEM {
    const RosterNode* node = impl_->Find(name);
    return node ? node->item : nullptr;
  });
}

std::uint32_t StandinClient::Record(const std::string& name) const {
  return impl_->Inspect([&]() -> std::uint32_t {
    const RosterNode* node = impl_->Find(name);
    return node ? node->record.Address() : 0;
  });
}

std::string StandinClient::ChannelOf(const std::string& user) const {
  return impl_->Inspect([&]() -> std::string {
    const RosterNode* node = impl_->Find(user);
    if (!node || !node->parent || node->parent->kind == Kind::Server)
      return "";
    return node->parent->entry.name;
  });
}

std::string StandinClient::LocalUser() const {
  return impl_->Inspect([this] { return impl_->localUser; });
}

bool StandinClient::IsConnected() const {
  return impl_->Inspect([this] { return impl_->link == Impl::Link::Connected; });
}

void StandinClient::AddUser(const std::string& channel, const Entry& user) {
  impl_->Change([&] {
    RosterNode* parent = impl_->Find(channel);
    if (parent && parent->kind != Kind::User)
      impl_->AddNode(*parent, std::make_unique<RosterNode>(Kind::User, user));
  });
}

void StandinClient::AddChannel(const std::string& parent, const Channel& channel) {
  impl_->Change([&] {
    RosterNode* node = impl_->Find(parent);
    if (node && node->kind != Kind::User)
      impl_->AddNode(*node, BuildChannel(channel));
  });
}

void StandinClient::Remove(const std::string& name) {
  impl_->Change([&] {
    RosterNode* node = impl_->Find(name);
    if (node && node->kind != Kind::Server)
      impl_->RemoveNode(*node);
  });
}

void StandinClient::Move(const std::string& name, const std::string& channel) {
  impl_->Change([&] {
    RosterNode* node = impl_->Find(name);
    RosterNode* target = impl_->Find(channel);
    if (!node || !target || node->kind == Kind::Server || target->kind == Kind::User || node->parent == target ||
        node->Contains(target))
      return;
    impl_->MoveNode(*node, *target);
  });
}

void StandinClient::Rename(const std::string& name, const std::string& newName) {
  impl_->Change([&] {
    RosterNode* node = impl_->Find(name);
    if (node && !newName.empty() && !impl_->Find(newName))
      impl_->RenameNode(*node, newName);
  });
}

void StandinClient::SetFlags(const std::string& name, const std::string& letters) {
  impl_->Change([&] {
    if (RosterNode* node = impl_->Find(name)) {
      node->entry.flags = letters;
      impl_->Refresh(*node);
    }
  });
}

void StandinClient::SetRank(const std::string& name, const std::string& rank, std::uint16_t rankID) {
  impl_->Change([&] {
    if (RosterNode* node = impl_->Find(name)) {
      node->entry.rank = rank;
      node->entry.rankID = rankID;
      if (node->record)
        node->record.SetRankID(impl_->arena, rankID);
      impl_->Refresh(*node);
    }
  });
}

void StandinClient::SetComment(const std::string& name, const std::string& comment, const std::string& url) {
  impl_->Change([&] {
    if (RosterNode* node = impl_->Find(name)) {
      node->entry.comment = comment;
      node->entry.commentURL = url;
      impl_->SetText(*node, ItemRecord::Text::Comment, comment);
      impl_->SetText(*node, ItemRecord::Text::CommentURL, url);
    }
  });
}

void StandinClient::SetPronunciation(const std::string& name, const std::string& pronunciation) {
  impl_->Change([&] {
    if (RosterNode* node = impl_->Find(name)) {
      node->entry.pronunciation = pronunciation;
      impl_->SetText(*node, ItemRecord::Text::Pronunciation, pronunciation);
    }
  });
}

void StandinClient::SetSuffix(const std::string& name, const std::string& suffix) {
  impl_->Change([&] {
    if (RosterNode* node = impl_->Find(name)) {
      node->entry.suffix = suffix;
      impl_->Refresh(*node);
    }
  });
}

void StandinClient::SetIcon(const std::string& name, int icon) {
  impl_->Change([&] {
    if (RosterNode* node = impl_->Find(name)) {
      node->entry.icon = icon;
      impl_->Refresh(*node);
    }
  });
}

void StandinClient::SetLocalUser(const std::string& name) {
  impl_->Change([&] { impl_->SetLocalUser(name); });
}

void StandinClient::Select(const std::string& name) {
  // A click selects through the tree view itself, as the module's own
  // selection request does; the message is handled on the window thread.
  const auto [tree, item] = impl_->Inspect([&] {
    const RosterNode* node = impl_->Find(name);
    return std::make_pair(impl_->treeView, node ? node->item : nullptr);
  });
  if (tree && item)
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void StandinClient::Disconnect() {
  impl_->Change([this] { impl_->SetLink(Impl::Link::Disconnected); });
}

void StandinClient::Reconnect() {
  impl_->Change([this] { impl_->SetLink(Impl::Link::Connected); });
}

void StandinClient::ClearTree() {
  impl_->Change([this] { impl_->SetLink(Impl::Link::Blank); });
}

void StandinClient::CloseWindow() {
  impl_->Change([this] { impl_->CloseWindow(); });
}

void StandinClient::ReopenWindow() {
  impl_->Change([this] { impl_->OpenWindow(); });
}

void StandinClient::Exit() {
  // A client that exits destroys its main window, and DestroyWindow takes
  // the children first: a reader that comes in between finds the main
  // window without its controls.
  impl_->Change([&] {
    if (!impl_->dialog)
      return;
    std::vector<HWND> controls;
    EnumChildWindows(
        impl_->dialog,
        [](HWND control, LPARAM list) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(control);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    for (auto control = controls.rbegin(); control != controls.rend(); ++control)
      sim::DestroyWindow(*control);
  });
  bool ending = false;
  impl_->Change([&] { ending = impl_->MarkExited(); });
  if (ending)
    sim::ExitProcess(impl_->processId);
}

std::uint32_t StandinClient::AllocateString(const std::string& text) {
  return impl_->Inspect([&] { return impl_->arena.PutString(text); });
}

}  // namespace standin
