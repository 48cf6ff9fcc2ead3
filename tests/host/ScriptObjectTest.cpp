// Module objects as Lua sees them: members, methods, identity, printing, and
// the global objects a module binds.
#include "tests/host/ThingFixture.h"

using ObjectMembers = ThingFixture;
using ObjectMethods = ThingFixture;
using ObjectIdentity = ThingFixture;
using GlobalObjects = ThingFixture;

TEST_F(ObjectMembers, BuiltInResultsBecomeLuaValues) {
  EXPECT_EQ("alpha", Print("Things.Name"));
  EXPECT_EQ("integer\t3", Print("math.type(Things.Count), Things.Count"));
  EXPECT_EQ("4294967295", Print("Things[2].Count"));
  EXPECT_EQ("boolean\ttrue", Print("type(Things.Flag), Things.Flag"));
  EXPECT_EQ("false", Print("Things[2].Flag"));
  EXPECT_EQ("beta\tgamma", Print("Things.Next.Name, Things.Next.Next.Name"));
}

TEST_F(ObjectMembers, FailingMemberReadsAsNil) {
  EXPECT_EQ("nil\tnil\tnil", Print("Things[3].Next, Things.Fails, Things('GetMetadata', 'absent')"));
  EXPECT_EQ("nil", Print("Things('GetMetadata')"));
  EXPECT_TRUE(errors.empty());
}

TEST_F(ObjectMembers, ParentTypeAnswersWhatTheTypeLacks) {
  EXPECT_EQ("base\ttrue", Print("Things.Base, Things:Ping()"));
  EXPECT_EQ(1, base.pings);
}

TEST_F(ObjectMembers, MembersThatTakeArgumentsAreCalledWithColon) {
  thing.things[1].metadata["key"] = "value";
  EXPECT_EQ("value", Print("Things('GetMetadata', 'key')"));
  EXPECT_EQ("gamma", Print("Things('Find', 'Count == 0').Name"));
  EXPECT_EQ("nil", Print("Things('Find', 'Count == 12')"));
}

TEST_F(ObjectMethods, ArgumentsArriveAsTextsAndSuccessAsTrue) {
  EXPECT_EQ("true", Print("Things[2]:Poke('a', 2, 2.5, true)"));
  ASSERT_EQ(1u, thing.pokes.size());
  EXPECT_EQ((std::vector<std::string>{"a", "2", "2.5", "true"}), thing.pokes[0]);
  EXPECT_EQ("true", Print("Things:Poke()"));
  EXPECT_TRUE(thing.pokes[1].empty());
}

TEST_F(ObjectMethods, FailureIsFalse) {
  EXPECT_EQ("false\tfalse", Print("Things:Refuse(), Things:SetMetadata('only a key')"));
  EXPECT_TRUE(thing.things[1].metadata.empty());
}

TEST_F(ObjectMethods, ArgumentErrorsNameTheArgument) {
  EXPECT_FALSE(Run("Things:Poke('a', {})"));
  EXPECT_EQ("script error: test:1: bad argument #2 to 'Poke' (string expected, got table)", LastError());
  EXPECT_FALSE(Run("Things('GetMetadata', nil)"));
  EXPECT_EQ("script error: test:1: bad argument #1 to 'GetMetadata' (string expected, got nil)", LastError());
  EXPECT_TRUE(thing.pokes.empty());
}

TEST_F(ObjectMethods, DotInsteadOfColonGetsAHint) {
  EXPECT_FALSE(Run("Things.Poke('a')"));
  EXPECT_EQ("script error: test:1: bad argument #1 to 'Poke' (object expected, got string; call it as obj:Poke(...))",
            LastError());
  EXPECT_TRUE(thing.pokes.empty());
}

TEST_F(ObjectIdentity, ObjectsOfTheSameReferenceAreEqual) {
  EXPECT_EQ("true\ttrue", Print("Things == Things[1], Things.Next == Things[2]"));
  EXPECT_EQ("false\tfalse", Print("Things[1] == Things[2], Things == 'alpha'"));
}

TEST_F(ObjectIdentity, ObjectsPrintAsTheirLabels) {
  EXPECT_EQ("Thing \"beta\" #2", Print("Things[2]"));
  EXPECT_EQ("thing Things!", Print("'thing ' .. Things .. '!'"));
  // What describe() gives for the type chain, from the label.
  ASSERT_TRUE(Run("describe('base', {text = function(obj, label) return label .. ' of ' .. obj.Base end})"));
  EXPECT_EQ("Thing \"beta\" #2 of base\tThings of base", Print("Things[2], Things"));
}

TEST_F(ObjectIdentity, ObjectOfARemovedTypeIsAClearError) {
  ASSERT_TRUE(Run("kept = Things"));
  host.UninstallType(&thing);
  EXPECT_EQ("(object of a removed type)", Print("kept"));
  EXPECT_FALSE(Run("return kept.Name"));
  EXPECT_EQ("script error: test:1: this object belongs to a type that the module has removed", LastError());
}

TEST_F(GlobalObjects, IndexIsResolvedThroughTheBinding) {
  EXPECT_EQ("gamma\tnil", Print("Things[3].Name, Things[9]"));
  EXPECT_EQ("beta", Print("Things[2.0].Name"));
}

TEST_F(GlobalObjects, NameIsResolvedEachTimeItIsUsed) {
  ASSERT_TRUE(Run("kept = Things"));
  thing.things.erase(1);
  EXPECT_EQ("nil\tThings (no longer available)", Print("Things, kept"));
}

TEST_F(GlobalObjects, UnboundNameReadsAsNil) {
  EXPECT_TRUE(host.UnbindGlobalObject("Things"));
  EXPECT_FALSE(host.UnbindGlobalObject("Things"));
  EXPECT_EQ("nil", Print("Things"));
  EXPECT_TRUE(Run("x = 1"));
  EXPECT_EQ("1", Print("x"));
}
