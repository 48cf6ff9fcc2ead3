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
// Instances form a list in creation order (First() is the oldest) and are found
// by their client through ClientMap(). Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "elements/ClientTreeView.h"
#include "elements/ItemMap.h"
#include "elements/VentriloElement.h"
#include "libventrilo/SnapshotItems.h"

class IChannel;
class IServer;
class ISnapshot;
class IUser;
class IVentrilo;

class VentriloInstance : public VentriloElement {
 public:
  // Takes a reference on `client`, joins the end of the instance list and the
  // client map, and raises "Ventrilo.OnInstanceOpened". No snapshot is applied.
  VentriloInstance(std::uint32_t id, VentriloElement* parent, IVentrilo* client);

  // The oldest live instance, or null.
  static VentriloInstance* First();
  // The instance element of each client, by client address.
  static const std::map<IVentrilo*, VentriloInstance*>& ClientMap();

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

  // The steps of ApplySnapshot.
  std::uint32_t NextPass();
  // Destroys, in pre-order, every element (with its subtree) not seen in `pass`.
  void PruneStale(std::uint32_t pass);
  // The element under `key` in the item map, or null (always null for key 0).
  VentriloElement* FindElementByKey(std::uint32_t key) const;
  // Each returns the element for the item, creating or updating (and moving) it,
  // or null when the key belongs to an element of another kind, or, for a
  // channel or user, when there is no parent to place it under.
  VentriloServer* UpsertServer(std::uint32_t pass, std::uint32_t key, IServer* item);
  VentriloChannel* UpsertChannel(std::uint32_t pass, std::uint32_t key, VentriloElement* parent, IChannel* item);
  VentriloUser* UpsertUser(std::uint32_t pass, std::uint32_t key, VentriloElement* parent, IUser* item);
  void UpdateMe(ISnapshot* snapshot);
  void UpdateSelection(ISnapshot* snapshot);
  int RaiseOnline();
  int RaiseOffline();

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
  // An element's pass moved from `from` to `to`.
  void NoteSeen(std::uint32_t from, std::uint32_t to);
  void GoOffline();
  // UpsertChannel and UpsertUser: find or create the element of `key` as the
  // kind `Element`, update it and place it under `parent`.
  // With `entry`, the same item laid out flat: an element whose attributes
  // all equal the entry's is only marked seen, without a call per attribute.
  template <class Element, class Item>
  Element* UpsertChild(std::uint32_t pass, std::uint32_t key, VentriloElement* parent, Item* item,
                       const SnapshotItems::Entry* entry = nullptr);
  // Upserts the items below the server, whose element is `server`, from the
  // snapshot's flat layout, in the order the server's enumerations give them.
  void UpsertItems(std::uint32_t pass, const SnapshotItems& items, VentriloServer* server);

  ClientTreeView treeView_;
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
