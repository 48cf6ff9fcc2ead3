// The element of one running client instance and the root of its element tree:
// under it the server, under the server its users and channels, under each
// channel its users and sub-channels.
//
// The pulse creates one per client ("Ventrilo.OnInstanceOpened"), hands it each
// new snapshot through ApplySnapshot, and destroys it when the client is gone
// ("Ventrilo.OnInstanceClosed", then leaving events for its tree).
// ApplySnapshot brings the tree in line with the client: it decides online and
// offline, creates, updates, moves and removes elements by their item key (the
// client's record address for the item), and causes every element event but
// the instance's own opened and closed.
//
// Instances form a list in creation order and are found by their client
// through InstanceList. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "elements/ItemMap.h"
#include "elements/VentriloElement.h"
#include "libventrilo/SnapshotItems.h"
#include "libventrilo/VentTreeView.h"

class ISnapshot;
class IVentrilo;

class VentriloInstance : public VentriloElement {
 public:
  // Takes a reference on `client`, enters the instance list (InstanceList)
  // and raises "Ventrilo.OnInstanceOpened". No snapshot is applied.
  VentriloInstance(std::uint32_t id, VentriloElement* parent, IVentrilo* client);

  VentriloInstance* GetNextInstance() const { return nextInstance_; }
  VentriloInstance* GetPreviousInstance() const { return previousInstance_; }
  // The element of the client's own user; null while offline or unknown.
  VentriloUser* GetMe() const { return me_; }
  // The element selected in the client's tree; null while offline or none.
  VentriloElement* GetSelection() const { return selection_; }
  // The tree view of the last snapshot that showed a connected server.
  HWND GetTreeView() const { return treeView_.Window(); }
  bool IsOnline() const { return online_; }
  IVentrilo* GetClient() const { return client_; }
  std::uint32_t GetPassNumber() const { return passNumber_; }

  // Brings the tree in line with `snapshot`. Without a server, or with the
  // server showing the disconnected icon (14), the tree is destroyed and the
  // instance goes offline. Otherwise the instance goes online, every item is
  // created or updated (and moved when found under another parent), the
  // elements not seen are pruned, and Me and Selection are recomputed.
  void ApplySnapshot(ISnapshot* snapshot);

  // Asks the client's tree view to select the item of `element`, an element
  // of this tree. False for an element without a tree item, when the client
  // refuses, or when it does not answer in time. The selection seen here
  // follows only with a later snapshot.
  bool Select(const VentriloElement* element) const;
  // Selects the item and presses Enter on it, which makes the client join the
  // channel (for the server, its top level); false when the selection fails.
  bool Join(const VentriloElement* element) const;
  // Whether `element` has a tree item and is the current selection.
  bool IsSelected(const VentriloElement* element) const;

  // The first element, in pre-order, that the host's query `query` matches;
  // null when nothing matches or the host cannot compile the query.
  VentriloElement* Find(const char* query);

  // The element under `key` in the item map, or null (always null for key 0).
  VentriloElement* FindElementByKey(std::uint32_t key) const;

  // Checks the tree's bookkeeping: links agree both ways (parent and child,
  // next and previous, first child without previous), there is no cycle, every
  // element names this instance and is registered under its id, the item map
  // holds exactly the keyed elements, and Me and Selection name live elements
  // of this tree. ApplySnapshot asserts it in debug builds.
  bool CheckTree() const;

  int RaiseLeavingInstance() override;
  QSTypeDefinition* GetScriptType() const override;
  const char* GetTypeName() const override { return "Instance"; }
  VentriloInstance* AsInstance() override { return this; }
  VentriloChannel* AsChannel() override { return nullptr; }
  VentriloServer* AsServer() override { return nullptr; }
  VentriloUser* AsUser() override { return nullptr; }

 protected:
  ~VentriloInstance() override;
  const char* GetScriptTypeName() const override { return "ventriloinstance"; }
  // A new element of the tree; keyed ones enter the item map.
  void TrackElement(VentriloElement* element) override;
  // Takes a dying element of the tree out of the item map, Me and Selection.
  void ForgetElement(VentriloElement* element) override;

 private:
  friend class InstanceList;

  // The steps of ApplySnapshot.
  void GoOffline();
  // Creates, updates and moves the element of every entry, in their order:
  // the server under the instance, each other item under the element of the
  // entry it was found under. An entry whose parent was skipped is skipped.
  void UpsertItems(std::uint32_t pass, const std::vector<SnapshotItems::Entry>& entries);
  // The server's element, made or met; null, with nothing updated, when its
  // key belongs to an element of another kind.
  VentriloServer* UpsertServer(std::uint32_t pass, const SnapshotItems::Entry& entry);
  // The element of a channel or user entry as the kind `Element`, made under
  // `parent` or met and moved there; null, with nothing updated, when the key
  // belongs to another kind, or when the element cannot move under `parent`.
  template <class Element, class Item>
  Element* UpsertChild(std::uint32_t pass, VentriloElement* parent, const SnapshotItems::Entry& entry, Item* item);
  // Where a pass meets an element that already exists: it is marked seen in
  // `pass` and brought in line with the entry's values.
  void Meet(VentriloElement* element, std::uint32_t pass, const SnapshotItems::Entry& entry);
  // Destroys, in pre-order, every element (with its subtree) not seen in `pass`.
  void PruneStale(std::uint32_t pass);
  void UpdateMe(ISnapshot* snapshot);
  void UpdateSelection(ISnapshot* snapshot);

  VentTreeView treeView_;
  bool online_ = false;
  VentriloUser* me_ = nullptr;
  VentriloElement* selection_ = nullptr;
  std::uint32_t passNumber_ = 0;
  // The elements of the tree, and how many of them the current pass has not
  // seen yet: with none left unseen, nothing is stale and the pruning walk,
  // which would visit every element in name order, is skipped.
  std::size_t elementCount_ = 0;
  std::size_t unseen_ = 0;
  ItemMap itemMap_;
  // UpsertItems: the element each entry was placed as, or null when it was
  // skipped (its children are then skipped too). Kept from pass to pass so
  // that its room is reused.
  std::vector<VentriloElement*> placed_;
  IVentrilo* client_;
  VentriloInstance* nextInstance_ = nullptr;
  VentriloInstance* previousInstance_ = nullptr;
};
