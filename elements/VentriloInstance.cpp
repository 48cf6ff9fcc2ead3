#include "elements/VentriloInstance.h"

#include <cassert>
#include <type_traits>

#include "elements/ElementContext.h"
#include "elements/InstanceList.h"
#include "elements/NextElementID.h"
#include "elements/ScriptEvent.h"
#include "elements/VentriloChannel.h"
#include "elements/VentriloServer.h"
#include "elements/VentriloUser.h"
#include "hostsdk/ScriptHost.h"
#include "libventrilo/ClientIcons.h"
#include "libventrilo/IServer.h"
#include "libventrilo/ISnapshot.h"
#include "libventrilo/IUser.h"
#include "libventrilo/IVentrilo.h"

namespace {

// Whether `element` is `ancestor` or lies in its subtree.
bool IsWithin(const VentriloElement* element, const VentriloElement* ancestor) {
  for (; element; element = element->GetParent()) {
    if (element == ancestor)
      return true;
  }
  return false;
}

}  // namespace

VentriloInstance::VentriloInstance(std::uint32_t id, VentriloElement* parent, IVentrilo* client)
    : VentriloElement(this, id, parent, nullptr, 0), client_(client) {
  client_->AddRef();
  InstanceList::Enter(this);
  Raise(ScriptEvent::InstanceOpened);
}

VentriloInstance::~VentriloInstance() {
  InstanceList::Leave(this);
  client_->Release();
  itemMap_.Clear();
}

int VentriloInstance::RaiseLeavingInstance() { return Raise(ScriptEvent::InstanceClosed); }

QSTypeDefinition* VentriloInstance::GetScriptType() const { return ElementContext::Get().instanceType; }

void VentriloInstance::TrackElement(VentriloElement* element) {
  ++elementCount_;
  itemMap_.Insert(element->GetItemKey(), element);
}

void VentriloInstance::ForgetElement(VentriloElement* element) {
  --elementCount_;
  if (element->GetPass() < passNumber_)
    --unseen_;
  itemMap_.Erase(element->GetItemKey(), element);
  // Handlers run between the destruction of an element and the end of the
  // pass that recomputes these; they must never see a destroyed element.
  if (me_ == element)
    me_ = nullptr;
  if (selection_ == element)
    selection_ = nullptr;
}

VentriloElement* VentriloInstance::FindElementByKey(std::uint32_t key) const { return itemMap_.Find(key); }

void VentriloInstance::ApplySnapshot(ISnapshot* snapshot) {
  IServer* server = nullptr;
  if (!snapshot->GetServer(&server) || !server || server->GetIconID() == kDisconnectedIcon) {
    GoOffline();
  } else {
    if (!online_) {
      online_ = true;
      Raise(ScriptEvent::Online);
    }
    treeView_.SetWindow(snapshot->GetTreeView());
    // Every element of the tree is older than the new pass. Elements made in
    // the pass start seen; a count too high only costs the pruning walk.
    unseen_ = elementCount_;
    const std::uint32_t pass = ++passNumber_;
    UpsertItems(pass, snapshot->GetItems().Entries());
    if (unseen_ != 0)
      PruneStale(pass);
    UpdateMe(snapshot);
    UpdateSelection(snapshot);
  }
  assert(CheckTree());
}

void VentriloInstance::GoOffline() {
  me_ = nullptr;
  selection_ = nullptr;
  RemoveAllChildren();
  if (online_) {
    online_ = false;
    Raise(ScriptEvent::Offline);
  }
}

void VentriloInstance::UpsertItems(std::uint32_t pass, const std::vector<SnapshotItems::Entry>& entries) {
  placed_.assign(entries.size(), nullptr);
  if (entries.empty())
    return;
  // A server key held by an element of another kind leaves the items without
  // a place this pass: the pruning removes the old element with everything
  // else unseen, and the next pass starts afresh.
  placed_[0] = UpsertServer(pass, entries[0]);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    const SnapshotItems::Entry& entry = entries[i];
    VentriloElement* parent = placed_[entry.parent];
    // A channel skipped this pass takes its subtree with it.
    if (!parent)
      continue;
    if (entry.channel)
      placed_[i] = UpsertChild<VentriloChannel>(pass, parent, entry, entry.channel);
    else
      UpsertChild<VentriloUser>(pass, parent, entry, entry.user);
  }
}

VentriloServer* VentriloInstance::UpsertServer(std::uint32_t pass, const SnapshotItems::Entry& entry) {
  VentriloElement* found = FindElementByKey(entry.info->recordAddress);
  if (!found) {
    auto* server = new VentriloServer(this, NextElementID(), this, entry.server, pass);
    AddChild(server);
    return server;
  }
  VentriloServer* server = found->AsServer();
  if (server)
    Meet(server, pass, entry);
  return server;
}

template <class Element, class Item>
Element* VentriloInstance::UpsertChild(std::uint32_t pass, VentriloElement* parent, const SnapshotItems::Entry& entry,
                                       Item* item) {
  VentriloElement* found = FindElementByKey(entry.info->recordAddress);
  if (!found) {
    auto* element = new Element(this, NextElementID(), parent, item, pass);
    parent->AddChild(element);
    return element;
  }
  Element* element = nullptr;
  if constexpr (std::is_same_v<Element, VentriloChannel>)
    element = found->AsChannel();
  else
    element = found->AsUser();
  if (!element)
    return nullptr;
  // Met already in this pass (a walk met a moving item twice): the first
  // meeting stands, and applying a snapshot twice raises nothing.
  if (element->GetPass() == pass)
    return element;
  Meet(element, pass, entry);
  if (element->GetParent() == parent)
    return element;
  // The same key met again inside its own subtree (a client whose records
  // repeat): moving there would cut the subtree off in a cycle. The element
  // stays where it is, and the repeated item is skipped with its subtree.
  if (IsWithin(parent, element))
    return nullptr;
  element->GetParent()->RemoveChild(element);
  parent->AddChild(element);
  return element;
}

void VentriloInstance::Meet(VentriloElement* element, std::uint32_t pass, const SnapshotItems::Entry& entry) {
  if (element->GetPass() < passNumber_)
    --unseen_;
  element->UpdateFromItem(pass, *entry.info, entry.handle);
}

void VentriloInstance::PruneStale(std::uint32_t pass) {
  VentriloElement* element = GetFirstChild();
  while (element && element != this) {
    if (element->GetPass() < pass) {
      VentriloElement* next = element->WalkPastChildren();
      element->Destroy();
      element = next;
    } else {
      element = element->WalkNext();
    }
  }
}

void VentriloInstance::UpdateMe(ISnapshot* snapshot) {
  IUser* user = nullptr;
  VentriloElement* found = snapshot->GetLocalUser(&user) && user ? FindElementByKey(user->GetRecordAddress()) : nullptr;
  me_ = found ? found->AsUser() : nullptr;
}

void VentriloInstance::UpdateSelection(ISnapshot* snapshot) {
  ITreeItem* item = nullptr;
  selection_ = snapshot->GetSelectedItem(&item) && item ? FindElementByKey(item->GetRecordAddress()) : nullptr;
}

bool VentriloInstance::Select(const VentriloElement* element) const {
  return treeView_.Select(element->GetTreeItemHandle());
}

bool VentriloInstance::Join(const VentriloElement* element) const {
  return treeView_.Join(element->GetTreeItemHandle());
}

bool VentriloInstance::IsSelected(const VentriloElement* element) const {
  return element->GetTreeItemHandle() && selection_ == element;
}

VentriloElement* VentriloInstance::Find(const char* query) {
  ScriptHost* host = ElementContext::Get().host;
  if (!host)
    return nullptr;
  const FilterHandle filter = host->ParseFilter(query);
  if (!filter)
    return nullptr;
  VentriloElement* match = nullptr;
  for (VentriloElement* element = GetFirstChild(); element && !match; element = element->WalkNext()) {
    ObjectRef object = element->ScriptObject();
    unsigned char matched = 0;
    if (host->MatchFilter(filter, &object, &matched) && matched)
      match = element;
  }
  host->ReleaseFilter(filter);
  return match;
}

bool VentriloInstance::CheckTree() const {
  if (GetParent() || GetNext() || GetPrevious() || GetInstance() != this)
    return false;
  // Each element is visited once by the walk and once as a child; more steps
  // than that means a cycle.
  const std::size_t limit = 2 * LiveCount();
  std::size_t steps = 0;
  std::size_t keyed = 0;
  bool meSeen = me_ == nullptr;
  bool selectionSeen = selection_ == nullptr;
  for (const VentriloElement* element = this; element; element = element->WalkNext()) {
    if (++steps > limit || element->GetInstance() != this || FromID(element->GetID()) != element)
      return false;
    if (element->GetItemKey() != 0) {
      ++keyed;
      if (FindElementByKey(element->GetItemKey()) != element)
        return false;
    }
    meSeen = meSeen || element == me_;
    selectionSeen = selectionSeen || element == selection_;
    // The chain from FirstChild: every link agrees with the one back, and the
    // first child has no previous sibling. Its order is the name order at each
    // child's insertion, which a later rename does not restore, so it is not
    // checked here.
    const VentriloElement* previous = nullptr;
    for (const VentriloElement* child = element->GetFirstChild(); child; child = child->GetNext()) {
      if (++steps > limit || child->GetParent() != element || child->GetPrevious() != previous)
        return false;
      previous = child;
    }
  }
  return keyed == itemMap_.Size() && meSeen && selectionSeen;
}
