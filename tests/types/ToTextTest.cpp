// How objects convert to text: into the host's buffer, cut to its size, always
// terminated, and never written when it has no room at all.
#include "tests/types/TypeFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class TextConversion : public TypeFixture {};

TEST_F(TextConversion, EveryKind_IsCutToTheBufferAndTerminated) {
  standin::StandinClient& client = StartClient();
  client.Rename("Bob", "Alexander");
  Settle();
  // Elements convert to their names, an instance to its id, "Ventrilo" to 1.
  EXPECT_EQ(ToText(Ventrilo()), "1");
  EXPECT_EQ(ToText(Element("Chorister")), "Chorister");
  EXPECT_EQ(ToText(Element("Games")), "Games");
  const ObjectRef instance = Member(Ventrilo(), "Instances");
  EXPECT_EQ(ToText(instance), std::to_string(Word(instance, "ID")));
  EXPECT_EQ(ToText(instance, 2), std::to_string(Word(instance, "ID")).substr(0, 1));

  const ObjectRef user = Element("Alexander");
  EXPECT_EQ(ToText(user, 4), "Ale");
  EXPECT_EQ(ToText(user, 1), "");
  EXPECT_EQ(ToText(user, 9), "Alexande");
  EXPECT_EQ(ToText(user, 10), "Alexander");
  EXPECT_EQ(ToText(Ventrilo(), 1), "");

  // No room at all: nothing is written, and the conversion reports it.
  const ObjectRef objects[] = {Ventrilo(), instance, user, Element("Lobby")};
  for (const ObjectRef& object : objects) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_FALSE(object.Type->ToText(object.Data, buffer, 0)) << TypeName(object);
    EXPECT_EQ(std::memcmp(buffer, "xxxx", 4), 0) << TypeName(object);
    EXPECT_FALSE(object.Type->ToText(object.Data, nullptr, 8)) << TypeName(object);
  }
}

}  // namespace
