#include "types/VentriloElementType.h"

#include "libventrilo/ClientIcons.h"
#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"
#include "types/ScriptTypes.h"

#include <iterator>

namespace {

enum Member : std::uint32_t {
  kID,
  kParent,
  kChildren,
  kNext,
  kPrevious,
  kWalkTree,
  kType,
  kInstance,
  kIconID,
  kDisplayText,
  kName,
  kPronunciation,
  kComment,
  kCommentURL,
  kRank,
  kRankID,
  kFlags,
  kIcon,
  kGetMetadata,
  kIsAdmin,
  kHasChatWindowOpen,
  kIsChannelMuted,
  kIsGlobalMuted,
  kIsLocalMuted,
  kIsMuted,
  kIsPlayingTTS,
  kIsPlayingWAV,
  kHasEffect,
  kIsPhantom,
  kIsSelected,
};

enum Method : std::uint32_t { kSetMetadata, kUnsetMetadata, kSelect };

struct Registration {
  std::uint32_t id;
  const char* name;
};

// Registration order; scripts see the ids only through the dispatch below.
constexpr Registration kMembers[] = {
    {kID, "ID"},
    {kParent, "Parent"},
    {kNext, "Next"},
    {kPrevious, "Previous"},
    {kChildren, "Children"},
    {kWalkTree, "WalkTree"},
    {kType, "Type"},
    {kInstance, "Instance"},
    {kIconID, "IconID"},
    {kDisplayText, "DisplayText"},
    {kName, "Name"},
    {kPronunciation, "Pronunciation"},
    {kComment, "Comment"},
    {kCommentURL, "CommentURL"},
    {kRank, "Rank"},
    {kRankID, "RankID"},
    {kFlags, "Flags"},
    {kIcon, "Icon"},
    {kGetMetadata, "GetMetadata"},
    {kIsAdmin, "IsAdmin"},
    {kHasChatWindowOpen, "HasChatWindowOpen"},
    {kIsChannelMuted, "IsChannelMuted"},
    {kIsGlobalMuted, "IsGlobalMuted"},
    {kIsLocalMuted, "IsLocalMuted"},
    {kIsMuted, "IsMuted"},
    {kIsPlayingTTS, "IsPlayingTTS"},
    {kIsPlayingWAV, "IsPlayingWAV"},
    {kHasEffect, "HasEffect"},
    {kIsPhantom, "IsPhantom"},
    {kIsSelected, "IsSelected"},
};

constexpr Registration kMethods[] = {
    {kSetMetadata, "SetMetadata"},
    {kUnsetMetadata, "UnsetMetadata"},
    {kSelect, "Select"},
};

// The flag bits a client's tree item reports, by flag test from kIsAdmin on.
// IsMuted tests the three mute bits together.
constexpr std::uint32_t kFlagMasks[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x1C, 0x20, 0x40, 0x80, 0x100};
static_assert(std::size(kFlagMasks) == kIsPhantom - kIsAdmin + 1);

}  // namespace

VentriloElementType::VentriloElementType() : VentriloScriptType("ventriloelement") {
  for (const Registration& member : kMembers)
    AddMember(member.id, member.name, nullptr);
  for (const Registration& method : kMethods)
    AddMethod(method.id, method.name, nullptr);
}

bool VentriloElementType::GetMemberByRecord(std::uintptr_t value, _QSTypeMember* record, int argumentCount,
                                            const char* const* arguments, ObjectRef* out) {
  VentriloElement* element = ElementOf(value);
  if (!element || !record)
    return false;
  switch (record->ID) {
    case kID:
      return Answer(ScriptTypes::UIntType, element->GetID(), out);
    case kParent:
      return AnswerElement(element->GetParent(), out);
    case kChildren:
      return AnswerElement(element->GetFirstChild(), out);
    case kNext:
      return AnswerElement(element->GetNext(), out);
    case kPrevious:
      return AnswerElement(element->GetPrevious(), out);
    case kWalkTree:
      return AnswerElement(element->WalkNext(), out);
    case kType:
      return AnswerText(element->GetTypeName(), out);
    case kInstance:
      return AnswerElement(element->GetInstance(), out);
    case kIconID:
      // The uint result shows "no icon" (-1) as 4294967295.
      return Answer(ScriptTypes::UIntType, static_cast<std::uint32_t>(element->GetIconID()), out);
    case kDisplayText:
      return AnswerText(element->GetDisplayText().c_str(), out);
    case kName:
      return AnswerText(element->GetName().c_str(), out);
    case kPronunciation:
      return AnswerText(element->GetPronunciation().c_str(), out);
    case kComment:
      return AnswerText(element->GetComment().c_str(), out);
    case kCommentURL:
      return AnswerText(element->GetCommentURL().c_str(), out);
    case kRank:
      return AnswerText(element->GetRank().c_str(), out);
    case kRankID:
      return Answer(ScriptTypes::UIntType, element->GetRankID(), out);
    case kFlags:
      return Answer(ScriptTypes::UIntType, element->GetFlags(), out);
    case kIcon:
      return AnswerText(IconName(element->GetIconID()), out);
    case kGetMetadata: {
      const char* key = FirstArgument(argumentCount, arguments);
      const std::string* stored = key ? element->GetMetadata(key) : nullptr;
      return stored && AnswerText(stored->c_str(), out);
    }
    case kIsAdmin:
    case kHasChatWindowOpen:
    case kIsChannelMuted:
    case kIsGlobalMuted:
    case kIsLocalMuted:
    case kIsMuted:
    case kIsPlayingTTS:
    case kIsPlayingWAV:
    case kHasEffect:
    case kIsPhantom:
      // The masked bits themselves are the bool's value word.
      return Answer(ScriptTypes::BoolType, element->GetFlags() & kFlagMasks[record->ID - kIsAdmin], out);
    case kIsSelected:
      return Answer(ScriptTypes::BoolType, element->GetInstance()->IsSelected(element) ? 1 : 0, out);
    default:
      return false;
  }
}

bool VentriloElementType::CallMethodByRecord(std::uintptr_t& value, _QSTypeMember* record, int argumentCount,
                                             const char* const* arguments) {
  VentriloElement* element = ElementOf(value);
  if (!element || !record)
    return false;
  switch (record->ID) {
    case kSetMetadata:
      if (argumentCount < 2 || !arguments || !arguments[0] || !arguments[1])
        return false;
      element->SetMetadata(arguments[0], arguments[1]);
      return true;
    case kUnsetMetadata: {
      const char* key = FirstArgument(argumentCount, arguments);
      if (!key)
        return false;
      element->UnsetMetadata(key);
      return true;
    }
    case kSelect:
      // Whether the client took the selection does not matter to the script;
      // the module's Selection follows with a later snapshot.
      element->GetInstance()->Select(element);
      return true;
    default:
      return false;
  }
}

bool VentriloElementType::ToText(std::uintptr_t value, char* buffer, std::uint32_t bufferSize) {
  return NameToText(value, buffer, bufferSize);
}
