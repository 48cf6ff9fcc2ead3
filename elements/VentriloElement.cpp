#include "elements/VentriloElement.h"

#include <iterator>

#include "elements/ElementContext.h"
#include "elements/ElementRegistry.h"
#include "elements/EventSink.h"
#include "elements/SiblingOrder.h"
#include "libventrilo/ClientIcons.h"
#include "libventrilo/ITreeItem.h"
#include "libventrilo/TreeItemInfo.h"

namespace {

// Stores `text` in `field` unless it already holds those bytes; true on change.
// The comparison does not allocate.
bool Assign(std::string& field, const char* text) {
  if (field == text)
    return false;
  field = text;
  return true;
}

}  // namespace

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

int VentriloElement::RaiseJoinedParent(VentriloElement* child) { return child->Raise(ScriptEvent::JoinedParent); }
int VentriloElement::RaiseLeavingParent(VentriloElement* child) { return child->Raise(ScriptEvent::LeavingParent); }
int VentriloElement::RaiseDisplayTextChanged() { return Raise(ScriptEvent::DisplayTextChanged); }
int VentriloElement::RaisePronunciationChanged() { return Raise(ScriptEvent::PronunciationChanged); }
int VentriloElement::RaiseNameChanged() { return Raise(ScriptEvent::NameChanged); }
int VentriloElement::RaiseCommentChanged() { return Raise(ScriptEvent::CommentChanged); }
int VentriloElement::RaiseCommentURLChanged() { return Raise(ScriptEvent::CommentURLChanged); }
int VentriloElement::RaiseRankChanged() { return Raise(ScriptEvent::RankChanged); }
int VentriloElement::RaiseRankIDChanged() { return Raise(ScriptEvent::RankIDChanged); }
// The event argument is printed with "%d", so flags with the top bit set read negative.
int VentriloElement::RaiseFlagsChanged(std::uint32_t previous) {
  return Raise(ScriptEvent::FlagsChanged, static_cast<int>(previous));
}
int VentriloElement::RaiseIconChanged(int previous) { return Raise(ScriptEvent::IconChanged, previous); }

void VentriloElement::UpdateFromItem(std::uint32_t pass, const TreeItemInfo& info, HTREEITEM handle) {
  pass_ = pass;
  // A client moves an item by deleting and inserting it again, which gives it
  // a new handle; on Windows the old one is a dangling pointer inside the
  // client. Following the handle keeps Select and Join on the live item.
  treeItemHandle_ = handle;
  SetIconID(info.iconID);
  SetName(info.name.c_str());
  SetPronunciation(info.pronunciation.c_str());
  SetComment(info.comment.c_str());
  SetCommentURL(info.commentURL.c_str());
  SetRankID(info.rankID);
  SetRank(info.rank.c_str());
  SetFlags(info.flags);
  SetDisplayText(info.displayText.c_str());
}

bool VentriloElement::MarkSeenIfUnchanged(std::uint32_t pass, const TreeItemInfo& info, HTREEITEM handle) {
  // Whole-string compares: a text the item holds with an embedded 0 differs
  // here and goes through UpdateFromItem, which reads it as a C string.
  if (info.iconID != iconID_ || info.flags != flags_ || info.rankID != rankID_ || info.name != name_ ||
      info.displayText != displayText_ || info.pronunciation != pronunciation_ || info.comment != comment_ ||
      info.commentURL != commentURL_ || info.rank != rank_)
    return false;
  pass_ = pass;
  treeItemHandle_ = handle;
  return true;
}

void VentriloElement::SetDisplayText(const char* text) {
  if (Assign(displayText_, text))
    RaiseDisplayTextChanged();
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
  RaiseNameChanged();
}

void VentriloElement::SetPronunciation(const char* text) {
  if (Assign(pronunciation_, text))
    RaisePronunciationChanged();
}

void VentriloElement::SetComment(const char* text) {
  if (Assign(comment_, text))
    RaiseCommentChanged();
}

void VentriloElement::SetCommentURL(const char* text) {
  if (Assign(commentURL_, text))
    RaiseCommentURLChanged();
}

void VentriloElement::SetRank(const char* text) {
  if (Assign(rank_, text))
    RaiseRankChanged();
}

void VentriloElement::SetRankID(std::uint32_t value) {
  const auto rankID = static_cast<std::uint16_t>(value);
  if (rankID == rankID_)
    return;
  rankID_ = rankID;
  RaiseRankIDChanged();
}

void VentriloElement::SetFlags(std::uint32_t value) {
  const std::uint32_t previous = flags_;
  if (value == previous)
    return;
  flags_ = value;
  RaiseFlagsChanged(previous);
}

void VentriloElement::SetIconID(int value) {
  const int previous = iconID_;
  if (value == previous)
    return;
  iconID_ = value;
  RaiseIconChanged(previous);
}

const char* VentriloElement::GetIconName() const {
  if (iconID_ == -1)
    return "none";
  if (iconID_ < 0 || iconID_ >= static_cast<int>(std::size(kIconNames)))
    return "unknown";
  return kIconNames[iconID_];
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
  RaiseJoinedParent(child);
}

bool VentriloElement::RemoveChild(VentriloElement* child) {
  if (!child || child->parent_ != this)
    return false;
  RaiseLeavingParent(child);
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
