// The module's persistent mirror of one thing in one running client: the client
// instance itself or one item of its tree view (the server, a channel, a user).
//
// Snapshots are thrown away after each pulse; elements are not. An element keeps
// its id, its place in the tree, the last values of its attributes and the
// metadata scripts attached to it. Each snapshot is copied in through
// change-detecting setters, and every change raises a script event with the
// element as context. An unchanged attribute costs one comparison and no
// allocation.
//
// Ownership: a parent owns its children, the instance element its whole tree,
// and the pulse the instance elements. An element ends only through Destroy().
//
// Scripts refer to an element by its id (the Data word of its ObjectRef), never
// by its address: FromID() resolves the id through the element registry while
// the element lives and gives null afterwards, since ids are never reused.
//
// The other jobs live beside this class: the registry (ElementRegistry), the
// metadata (ElementMetadata), where a child goes among its siblings
// (SiblingOrder), and the control of the client (Select and Join, through the
// library's VentTreeView that the instance holds). An element knows its
// instance only as the root of its tree, through the hook below and
// AsInstance().
//
// Everything here runs on the host's main thread, under the module lock while
// a pulse runs. Event handlers run inside the raising calls and may read and
// walk the tree, set metadata, and select or join.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "elements/ElementMetadata.h"
#include "hostsdk/ScriptHost.h"
#include "platform/Win32.h"

class SiblingOrder;
class ITreeItem;
class QSTypeDefinition;
class VentriloChannel;
class VentriloInstance;
class VentriloServer;
class VentriloUser;
enum class ScriptEvent : int;
struct TreeItemInfo;

class VentriloElement {
 public:
  // Registers the element under `id`. With an item, copies its tree-view handle
  // and key; a tree element is announced to its root (TrackElement), so its
  // instance finds it by key from then on. The element is not linked into
  // `parent`'s children (the creator calls AddChild) and nothing is raised. A
  // tree element is made under a parent of its instance's tree.
  VentriloElement(VentriloInstance* instance, std::uint32_t id, VentriloElement* parent, ITreeItem* item,
                  std::uint32_t pass);

  VentriloElement(const VentriloElement&) = delete;
  VentriloElement& operator=(const VentriloElement&) = delete;

  std::uint32_t GetID() const { return id_; }
  HTREEITEM GetTreeItemHandle() const { return treeItemHandle_; }
  std::uint32_t GetItemKey() const { return itemKey_; }
  VentriloInstance* GetInstance() const { return root_->AsInstance(); }
  VentriloElement* GetParent() const { return parent_; }
  VentriloElement* GetFirstChild() const { return firstChild_; }
  VentriloElement* GetNext() const { return next_; }
  VentriloElement* GetPrevious() const { return previous_; }
  const std::string& GetDisplayText() const { return displayText_; }
  int GetIconID() const { return iconID_; }
  const std::string& GetName() const { return name_; }
  const std::string& GetPronunciation() const { return pronunciation_; }
  const std::string& GetComment() const { return comment_; }
  const std::string& GetCommentURL() const { return commentURL_; }
  std::uint16_t GetRankID() const { return rankID_; }
  const std::string& GetRank() const { return rank_; }
  std::uint32_t GetFlags() const { return flags_; }
  // The pass number of the last snapshot in which the element's item was seen.
  std::uint32_t GetPass() const { return pass_; }

  // The leaving event of the element's kind; raised first thing in Destroy().
  virtual int RaiseLeavingInstance();
  // Raises "Ventrilo.OnLeavingInstance" (for an instance "OnInstanceClosed")
  // while the element is fully linked, destroys the children the same way,
  // then detaches from the parent ("Ventrilo.OnLeavingParent") and deletes the
  // element. So every element of a subtree raises its leaving event with its
  // parent in place, top-down, and its "left parent" after its children are gone.
  virtual void Destroy();
  // The element's own script type (null before the module's Initialize).
  virtual QSTypeDefinition* GetScriptType() const = 0;
  // "Instance", "Server", "Channel" or "User".
  virtual const char* GetTypeName() const = 0;

  // Records that the item was seen in `pass` (the caller keeps the instance's
  // count of unseen elements), follows its tree-view handle `handle`, and
  // copies its attributes `info` through the change-detecting setters: icon,
  // name, pronunciation, comment, comment URL, rank id, rank, flags, display
  // text, which is the order of their change events. Texts are read as C
  // strings. An item whose nine attributes all equal the element's costs nine
  // compares and raises nothing.
  void UpdateFromItem(std::uint32_t pass, const TreeItemInfo& info, HTREEITEM handle);

  virtual VentriloInstance* AsInstance() = 0;
  virtual VentriloChannel* AsChannel() = 0;
  virtual VentriloServer* AsServer() = 0;
  virtual VentriloUser* AsUser() = 0;

  // Pre-order successor within the instance's tree; null at its end.
  virtual VentriloElement* WalkNext() const;
  // The successor that skips this element's own subtree.
  virtual VentriloElement* WalkPastChildren() const;

  // Links `child` among the children in name order (letters folded to lower
  // case; equal names keep the order they came in), then raises
  // "Ventrilo.OnJoinedParent" with the child in place. A later rename does not
  // move an element.
  void AddChild(VentriloElement* child);
  // Raises "Ventrilo.OnLeavingParent" while `child` is still linked, then
  // detaches it; the child keeps no parent or sibling links. False, with no
  // event, when `child` is not a child of this element.
  bool RemoveChild(VentriloElement* child);
  // Destroys every child, first to last (see Destroy).
  void RemoveAllChildren();
  // Deletes the element and its subtree without raising anything: for the
  // module's shutdown, when the scripts that would handle the events are
  // being torn down.
  void Discard();

  // Script-owned key/value pairs (ElementMetadata).
  const std::string* GetMetadata(const std::string& key) const { return metadata_.Get(key); }
  void SetMetadata(const std::string& key, const std::string& value) { metadata_.Set(key, value); }
  void UnsetMetadata(const std::string& key) { metadata_.Unset(key); }

  // {GetScriptType(), GetID()}: how scripts and events name the element.
  ObjectRef ScriptObject() const { return ObjectRef{GetScriptType(), id_}; }
  // The live element with this id, or null (ElementRegistry).
  static VentriloElement* FromID(std::uint32_t id);
  // Number of live elements.
  static std::size_t LiveCount();

 protected:
  virtual ~VentriloElement();

  // The name of the element's script type ("ventrilouser"), for the echo line.
  virtual const char* GetScriptTypeName() const = 0;
  // Called on the root of a tree (its instance) when `element` of that tree
  // is made, and when it is destroyed: the root keeps and drops whatever it
  // keeps about its tree's elements.
  virtual void TrackElement(VentriloElement* element);
  virtual void ForgetElement(VentriloElement* element);
  // Raises `event` with this element as context; `previous` is the argument of
  // the two numeric change events.
  int Raise(ScriptEvent event, int previous = 0);
  // The start of a server, channel or user: copies the item's attributes (a
  // change event for each that differs from the empty start) and raises
  // "Ventrilo.OnJoinedInstance".
  void Arrive(std::uint32_t pass, ITreeItem* item);

 private:
  // The other change-detecting setters: an equal value (byte for byte, so case
  // counts) changes nothing; a new one is stored before its event is raised,
  // so a handler reads the new value. Rank id compares its low 16 bits.
  void SetText(std::string& field, const char* text, ScriptEvent changed);
  void SetName(const char* text);
  void SetIconID(int value);
  void SetRankID(std::uint32_t value);
  void SetFlags(std::uint32_t value);
  void Unlink(VentriloElement* child);
  // Whether the element is in its parent's chain (a new one names its parent
  // before the creator links it).
  bool IsLinked() const;

  std::uint32_t id_;
  HTREEITEM treeItemHandle_ = nullptr;
  std::uint32_t itemKey_ = 0;
  // The root of the element's tree: its instance (an instance is its own).
  VentriloElement* root_;
  VentriloElement* parent_;
  VentriloElement* firstChild_ = nullptr;
  VentriloElement* next_ = nullptr;
  VentriloElement* previous_ = nullptr;
  std::string displayText_;
  int iconID_ = -1;
  std::string name_;
  std::string pronunciation_;
  std::string comment_;
  std::string commentURL_;
  std::uint16_t rankID_ = 0;
  std::string rank_;
  std::uint32_t flags_ = 0;
  std::uint32_t pass_;
  ElementMetadata metadata_;
  // Where AddChild places a child; made with the first child.
  std::unique_ptr<SiblingOrder> siblingOrder_;
};
