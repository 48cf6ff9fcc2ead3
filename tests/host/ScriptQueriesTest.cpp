// Queries: Lua expressions over one object's members, compiled and evaluated
// for a module's searches.
#include "tests/host/ThingFixture.h"

class Queries : public ThingFixture {
 protected:
  // -1 when the query could not be evaluated, else whether thing `id` matched.
  int Match(FilterHandle filter, std::uintptr_t id) {
    ObjectRef object = thing.Ref(id);
    unsigned char matched = 7;
    if (!host.MatchFilter(filter, &object, &matched)) {
      return -1;
    }
    return matched;
  }
};

TEST_F(Queries, ExpressionIsEvaluatedOverTheObjectsMembers) {
  FilterHandle filter = host.ParseFilter("Name == \"gamma\" and Flag");
  ASSERT_NE(0u, filter);
  EXPECT_EQ(1, Match(filter, 3));
  EXPECT_EQ(0, Match(filter, 1));
  host.ReleaseFilter(filter);
  EXPECT_EQ(0u, host.Filters().LiveCount());
  EXPECT_EQ(-1, Match(filter, 3));
}

TEST_F(Queries, TextThatIsNoExpressionGivesNoQuery) {
  for (const char* text : {"", "Name ==", "x = 1", "Name == 'a') print('b'"}) {
    EXPECT_EQ(0u, host.ParseFilter(text)) << text;
  }
  EXPECT_EQ(0u, host.Filters().LiveCount());
  EXPECT_TRUE(errors.empty());
}

TEST_F(Queries, MembersThatTakeArgumentsAndGlobalsAreAtHand) {
  thing.things[2].metadata["tag"] = "x";
  FilterHandle filter =
      host.ParseFilter("self('GetMetadata', 'tag') == 'x' and Name:find('^b') ~= nil and Next == Things[3]");
  EXPECT_EQ(1, Match(filter, 2));
  EXPECT_EQ(0, Match(filter, 1));
  host.ReleaseFilter(filter);
}

TEST_F(Queries, RuntimeErrorIsReportedOncePerQuery) {
  FilterHandle filter = host.ParseFilter("Fails.x");
  EXPECT_EQ(-1, Match(filter, 1));
  EXPECT_EQ(-1, Match(filter, 2));
  ASSERT_EQ(1u, errors.size());
  EXPECT_NE(std::string::npos, errors[0].find("error in a query: query:"));
  host.ReleaseFilter(filter);
}

TEST_F(Queries, SearchFromAScriptRunsTheQueryInsideIt) {
  EXPECT_EQ("beta", Print("Things('Find', 'Count > 3').Name"));
  EXPECT_EQ("gamma", Print("coroutine.wrap(function() return Things('Find', 'Flag and Count == 0').Name end)()"));
  EXPECT_EQ("nil", Print("Things('Find', 'Nope ==')"));
  EXPECT_EQ(0u, host.Filters().LiveCount());
}
