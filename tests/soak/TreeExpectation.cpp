#include "tests/soak/TreeExpectation.h"

#include "elements/VentriloElement.h"
#include "elements/VentriloInstance.h"
#include "elements/VentriloUser.h"

#include <cstring>

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string Describe(const VentriloElement& element) {
  return std::string(element.GetTypeName()) + " " + Quoted(element.GetName()) + " (id " +
         std::to_string(element.GetID()) + ", key " + std::to_string(element.GetItemKey()) + ")";
}

// Each attribute of the element against its expected value.
void CompareValues(const VentriloElement& element, const TreeItemInfo& want, std::vector<std::string>& problems) {
  const auto text = [&](const char* field, const std::string& got, const std::string& expected) {
    if (got != expected)
      problems.push_back(Describe(element) + ": " + field + " " + Quoted(got) + ", expected " + Quoted(expected));
  };
  const auto number = [&](const char* field, long long got, long long expected) {
    if (got != expected)
      problems.push_back(Describe(element) + ": " + field + " " + std::to_string(got) + ", expected " +
                         std::to_string(expected));
  };
  number("IconID", element.GetIconID(), want.iconID);
  text("Name", element.GetName(), want.name);
  text("Pronunciation", element.GetPronunciation(), want.pronunciation);
  text("Comment", element.GetComment(), want.comment);
  text("CommentURL", element.GetCommentURL(), want.commentURL);
  number("RankID", element.GetRankID(), want.rankID);
  text("Rank", element.GetRank(), want.rank);
  number("Flags", element.GetFlags(), want.flags);
  text("DisplayText", element.GetDisplayText(), want.displayText);
}

std::string KeyName(const std::uint32_t key) { return key ? "key " + std::to_string(key) : "none"; }

}  // namespace

const char* TreeExpectation::KindName(Kind kind) {
  switch (kind) {
    case Kind::Server:
      return "Server";
    case Kind::Channel:
      return "Channel";
    case Kind::User:
      return "User";
  }
  return "?";
}

std::map<std::uint32_t, std::uint32_t> TreeExpectation::IdsByKey(const VentriloInstance& instance) {
  std::map<std::uint32_t, std::uint32_t> ids;
  const std::size_t limit = VentriloElement::LiveCount();
  std::size_t steps = 0;
  for (const VentriloElement* element = instance.GetFirstChild(); element && ++steps <= limit;
       element = element->WalkNext())
    ids[element->GetItemKey()] = element->GetID();
  return ids;
}

std::vector<std::string> TreeExpectation::Compare(const VentriloInstance& instance) const {
  std::vector<std::string> problems;
  if (instance.IsOnline() != online)
    problems.push_back(std::string("instance is ") + (instance.IsOnline() ? "online" : "offline"));
  // Each element is met once by the walk and once as a child; more steps
  // than that is a cycle.
  const std::size_t limit = 2 * VentriloElement::LiveCount();
  std::size_t steps = 0;
  std::size_t matched = 0;
  for (const VentriloElement* element = &instance; element; element = element->WalkNext()) {
    if (++steps > limit) {
      problems.push_back("the walk does not end");
      break;
    }
    if (VentriloElement::FromID(element->GetID()) != element || element->GetInstance() != &instance)
      problems.push_back(Describe(*element) + ": not registered under its id, or of another instance");
    const VentriloElement* previous = nullptr;
    for (const VentriloElement* child = element->GetFirstChild(); child && steps <= limit; child = child->GetNext()) {
      ++steps;
      if (child->GetParent() != element || child->GetPrevious() != previous)
        problems.push_back(Describe(*child) + ": parent or sibling links disagree");
      previous = child;
    }
    if (element == &instance)
      continue;
    const std::uint32_t key = element->GetItemKey();
    if (instance.FindElementByKey(key) != element)
      problems.push_back(Describe(*element) + ": not in the item map under its key");
    const auto expected = elements.find(key);
    if (expected == elements.end()) {
      problems.push_back(Describe(*element) + ": not expected");
      continue;
    }
    ++matched;
    const Element& want = expected->second;
    if (std::strcmp(element->GetTypeName(), KindName(want.kind)) != 0)
      problems.push_back(Describe(*element) + ": expected a " + KindName(want.kind));
    const VentriloElement* parent = element->GetParent();
    const std::uint32_t parentKey = parent && parent != &instance ? parent->GetItemKey() : 0;
    if (!parent || parentKey != want.parent)
      problems.push_back(Describe(*element) + ": parent " + (parent ? KeyName(parentKey) : "missing") + ", expected " +
                         KeyName(want.parent));
    CompareValues(*element, want.values, problems);
  }
  if (matched != elements.size()) {
    for (const auto& [key, want] : elements) {
      if (!instance.FindElementByKey(key))
        problems.push_back(std::string(KindName(want.kind)) + " " + Quoted(want.values.name) + " (" + KeyName(key) +
                           "): missing");
    }
  }
  const auto keyOf = [](const VentriloElement* element) { return element ? element->GetItemKey() : 0; };
  if (keyOf(instance.GetMe()) != me)
    problems.push_back("Me is " + KeyName(keyOf(instance.GetMe())) + ", expected " + KeyName(me));
  if (keyOf(instance.GetSelection()) != selection)
    problems.push_back("Selection is " + KeyName(keyOf(instance.GetSelection())) + ", expected " + KeyName(selection));
  return problems;
}
