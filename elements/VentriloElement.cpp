#include "elements/VentriloElement.h"

#include "elements/ElementContext.h"
#include "elements/ElementRegistry.h"
#include "elements/EventSink.h"
#include "elements/SiblingOrder.h"
#include "libventrilo/ITreeItem.h"
#include "libventrilo/TreeItemInfo.h"

// `instance` is this element's own instance only while it is still being
// made: the root is taken from the parent, or is the element itself.
VentriloElement::VentriloElement(VentriloInstance*, std::uint32_t id, VentriloElement* parent, ITreeItem* item,
                                 std::uint32_t pass)
    : id_(id), root_(parent ? parent->root_ : this), parent_(parent), pass_(pass) {
  ElementRegistry::Enter(id_, this);
  if (item) {
    treeItemHandle_ = item->GetHandle();
    itemKey_ = item->GetRecordAddress();
  }
  if (root_ != this)
    root_->TrackElement(this);
}

VentriloElement::~VentriloElement() {
  ElementRegistry::Leave(id_, this);
  // An instance element is its own root and is past its own bookkeeping here.
  if (root_ != this)
    root_->ForgetElement(this);
}

void VentriloElement::TrackElement(VentriloElement*) {}

void VentriloElement::ForgetElement(VentriloElement*) {}

VentriloElement* VentriloElement::FromID(std::uint32_t id) { return ElementRegistry::Find(id); }

std::size_t VentriloElement::LiveCount() { return ElementRegistry::Count(); }

int VentriloElement::Raise(ScriptEvent event, int previous) {
  EventSink* events = ElementContext::Get().events;
  return events ? events->Raise(event, EventContext{ScriptObject(), GetScriptTypeName(), id_, name_.c_str()}, previous)
                : 0;
}

void VentriloElement::Arrive(std::uint32_t pass, ITreeItem* item) {
  UpdateFromItem(pass, item->GetInfo(), item->GetHandle());
  Raise(ScriptEvent::JoinedInstance);
}

int VentriloElement::RaiseLeavingInstance() { return 0; }

void VentriloElement::Destroy() {
  RaiseLeavingInstance();
  RemoveAllChildren();
  if (parent_)
    parent_->RemoveChild(this);
  delete this;
}

void VentriloElement::UpdateFromItem(std::uint32_t pass, const TreeItemInfo& info, HTREEITEM handle) {
  pass_ = pass;
  // A client moves an item by deleting and inserting it again, which gives it
  // a new handle; on Windows the old one is a dangling pointer inside the
  // client. Following the handle keeps Select and Join on the live item.
  treeItemHandle_ = handle;
  // Whole-string compares first, for the pass that finds nothing changed; a
  // text the item holds with an embedded 0 differs here and is then set as
  // the C string it reads as.
  if (info.iconID == iconID_ && info.flags == flags_ && info.rankID == rankID_ && info.name == name_ &&
      info.displayText == displayText_ && info.pronunciation == pronunciation_ && info.comment == comment_ &&
      info.commentURL == commentURL_ && info.rank == rank_)
    return;
  SetIconID(info.iconID);
  SetName(info.name.c_str());
  SetText(pronunciation_, info.pronunciation.c_str(), ScriptEvent::PronunciationChanged);
  SetText(comment_, info.comment.c_str(), ScriptEvent::CommentChanged);
  SetText(commentURL_, info.commentURL.c_str(), ScriptEvent::CommentURLChanged);
  SetRankID(info.rankID);
  SetText(rank_, info.rank.c_str(), ScriptEvent::RankChanged);
  SetFlags(info.flags);
  SetText(displayText_, info.displayText.c_str(), ScriptEvent::DisplayTextChanged);
}

void VentriloElement::SetText(std::string& field, const char* text, ScriptEvent changed) {
  // The comparison does not allocate.
  if (field == text)
    return;
  field = text;
  Raise(changed);
}

void VentriloElement::SetName(const char* text) {
  if (name_ == text)
    return;
  SiblingOrder* order = IsLinked() ? parent_->siblingOrder_.get() : nullptr;
  if (order)
    order->Renaming(previous_, this, next_);
  name_ = text;
  if (order)
    order->Renamed(previous_, this, next_);
  Raise(ScriptEvent::NameChanged);
}

void VentriloElement::SetRankID(std::uint32_t value) {
  const auto rankID = static_cast<std::uint16_t>(value);
  if (rankID == rankID_)
    return;
  rankID_ = rankID;
  Raise(ScriptEvent::RankIDChanged);
}

void VentriloElement::SetFlags(std::uint32_t value) {
  const std::uint32_t previous = flags_;
  if (value == previous)
    return;
  flags_ = value;
  // The event argument is printed with "%d", so flags with the top bit set read negative.
  Raise(ScriptEvent::FlagsChanged, static_cast<int>(previous));
}

void VentriloElement::SetIconID(int value) {
  const int previous = iconID_;
  if (value == previous)
    return;
  iconID_ = value;
  Raise(ScriptEvent::IconChanged, previous);
}

VentriloElement* VentriloElement::WalkNext() const { return firstChild_ ? firstChild_ : WalkPastChildren(); }

VentriloElement* VentriloElement::WalkPastChildren() const {
  for (const VentriloElement* element = this; element; element = element->parent_) {
    if (element->next_)
      return element->next_;
  }
  return nullptr;
}

void VentriloElement::AddChild(VentriloElement* child) {
  child->parent_ = this;
  if (!siblingOrder_)
    siblingOrder_ = std::make_unique<SiblingOrder>();
  const auto [before, after] =
      siblingOrder_->Insert(firstChild_, child, [](const VentriloElement* element) { return element->next_; });
  child->previous_ = before;
  child->next_ = after;
  if (before)
    before->next_ = child;
  else
    firstChild_ = child;
  if (after)
    after->previous_ = child;
  child->Raise(ScriptEvent::JoinedParent);
}

bool VentriloElement::RemoveChild(VentriloElement* child) {
  if (!child || child->parent_ != this)
    return false;
  child->Raise(ScriptEvent::LeavingParent);
  Unlink(child);
  return true;
}

// The detached child keeps no links: it belongs nowhere until AddChild places
// it again, and a Destroy() of it does not detach it a second time.
void VentriloElement::Unlink(VentriloElement* child) {
  if (siblingOrder_)
    siblingOrder_->Unlinking(child->previous_, child, child->next_);
  if (child->next_)
    child->next_->previous_ = child->previous_;
  if (child->previous_)
    child->previous_->next_ = child->next_;
  else if (firstChild_ == child)
    firstChild_ = child->next_;
  child->parent_ = nullptr;
  child->next_ = nullptr;
  child->previous_ = nullptr;
}

bool VentriloElement::IsLinked() const { return parent_ && (previous_ || parent_->firstChild_ == this); }

// Each child is destroyed while still linked, so it raises its leaving events
// with its parent in place, exactly as an element that leaves alone does, and
// detaches itself last.
void VentriloElement::RemoveAllChildren() {
  while (firstChild_)
    firstChild_->Destroy();
}

void VentriloElement::Discard() {
  while (VentriloElement* child = firstChild_) {
    Unlink(child);
    child->Discard();
  }
  if (parent_)
    parent_->Unlink(this);
  delete this;
}
