#include "types/VentriloType.h"

#include "elements/InstanceList.h"
#include "elements/VentriloInstance.h"
#include "elements/ElementContext.h"
#include "elements/EventSink.h"

#include <cctype>
#include <cstdlib>

namespace {

enum Member : std::uint32_t { kInstances };
enum Method : std::uint32_t { kSetEventSpam };

bool EqualsIgnoringCase(const char* text, const char* word) {
  for (; *text != '\0' && *word != '\0'; ++text, ++word) {
    if (std::tolower(static_cast<unsigned char>(*text)) != *word)
      return false;
  }
  return *text == *word;
}

// "on" and "true" in any letter case, or any text whose leading integer (read
// as atoi reads it: white space, sign, digits) is not 0. strtoll reads the same
// prefix and, unlike atoi, stays defined when the digits overflow.
bool IsSwitchOn(const char* text) {
  return EqualsIgnoringCase(text, "on") || EqualsIgnoringCase(text, "true") || std::strtoll(text, nullptr, 10) != 0;
}

}  // namespace

VentriloType::VentriloType() : VentriloScriptType("ventrilo") {
  AddMember(kInstances, "Instances", nullptr);
  AddMethod(kSetEventSpam, "SetEventSpam", nullptr);
}

bool VentriloType::GetMemberByRecord(std::uintptr_t, _QSTypeMember* record, int, const char* const*, ObjectRef* out) {
  if (!record || record->ID != kInstances)
    return false;
  return AnswerElement(InstanceList::First(), out);
}

bool VentriloType::CallMethodByRecord(std::uintptr_t&, _QSTypeMember* record, int argumentCount,
                                      const char* const* arguments) {
  const char* setting = FirstArgument(argumentCount, arguments);
  if (!record || record->ID != kSetEventSpam || !setting)
    return false;
  if (EventSink* events = ElementContext::Get().events)
    events->SetEcho(IsSwitchOn(setting));
  return true;
}

bool VentriloType::ToText(std::uintptr_t, char* buffer, std::uint32_t bufferSize) {
  return CopyText("1", buffer, bufferSize);
}
