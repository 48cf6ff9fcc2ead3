// Events from the module to Lua handlers, and the host's own events.
#include "tests/host/ThingFixture.h"

class EventHandlers : public ThingFixture {
 protected:
  int Fire(std::uintptr_t thingId, std::vector<const char*> arguments = {}) {
    ObjectRef context = thing.Ref(thingId);
    return host.FireEvent(event, 0, static_cast<int>(arguments.size()), arguments.empty() ? nullptr : arguments.data(),
                          &context);
  }

  int event = host.DeclareEvent("Test.OnThing");
};

TEST_F(EventHandlers, HandlerGetsTheContextAndTheArguments) {
  ASSERT_TRUE(
      Run("on('Test.OnThing', function(ctx, a, b, ...) "
          "print(ctx.Name, a, math.type(a), b, select('#', ...)) end)"));
  EXPECT_EQ(1, Fire(2, {"-1", "x", "0x10"}));
  EXPECT_EQ("beta\t-1\tinteger\tx\t1", output.back());
  EXPECT_EQ(1, Fire(3));
  EXPECT_EQ("gamma\tnil\tnil\tnil\t0", output.back());
}

TEST_F(EventHandlers, HandlersRunInOrderAndAFailingOneIsReported) {
  ASSERT_TRUE(
      Run("on('Test.OnThing', function() print('first') end)\n"
          "on('Test.OnThing', function(ctx) error('boom ' .. ctx.Name) end)\n"
          "on('Test.OnThing', function() print('third') end)"));
  EXPECT_EQ(2, Fire(1));
  EXPECT_EQ((std::vector<std::string>{"first", "third"}), output);
  EXPECT_EQ("error in a handler of Test.OnThing: test:2: boom alpha", LastError());
  EXPECT_EQ(2, Fire(1));
}

TEST_F(EventHandlers, ChangesDuringADispatchApplyFromTheNextEvent) {
  ASSERT_TRUE(
      Run("function later() print('later') end\n"
          "function second() print('second') end\n"
          "on('Test.OnThing', function() print('first'); off('Test.OnThing', second);"
          "  on('Test.OnThing', later) end)\n"
          "on('Test.OnThing', second)"));
  EXPECT_EQ(1, Fire(1));
  EXPECT_EQ((std::vector<std::string>{"first"}), output);
  output.clear();
  EXPECT_EQ(2, Fire(1));
  EXPECT_EQ((std::vector<std::string>{"first", "later"}), output);
}

TEST_F(EventHandlers, OffDetachesOneAttachment) {
  ASSERT_TRUE(
      Run("function h() print('h') end\n"
          "on('Test.OnThing', h); on('Test.OnThing', h)"));
  EXPECT_EQ("true\tfalse", Print("off('Test.OnThing', h), off('Test.OnThing', print)"));
  EXPECT_EQ(1, Fire(1));
}

TEST_F(EventHandlers, EventNamesAreChecked) {
  EXPECT_EQ(event, host.DeclareEvent("Test.OnThing"));
  EXPECT_EQ("Host.OnPulse,Host.OnStop,Test.OnThing", Print("table.concat(events(), ',')"));
  EXPECT_FALSE(Run("on('Test.OnThang', print)"));
  EXPECT_EQ("script error: test:1: unknown event 'Test.OnThang' (events() lists them)", LastError());
  EXPECT_FALSE(Run("on('Test.OnThing', 'not a function')"));
}

TEST_F(EventHandlers, EventWithoutHandlersOrWithABadIdRunsNothing) {
  EXPECT_EQ(0, Fire(1));
  ASSERT_TRUE(Run("on('Test.OnThing', function() print('ran') end)"));
  ObjectRef context = thing.Ref(1);
  EXPECT_EQ(0, host.FireEvent(event + 1, 0, 0, nullptr, &context));
  EXPECT_EQ(0, host.FireEvent(-1, 0, 0, nullptr, &context));
  EXPECT_EQ(0, host.FireEvent(event, 0, 2, nullptr, &context));
  EXPECT_TRUE(output.empty());
}

TEST_F(EventHandlers, HostEventsRunWithoutContextAndNothingRunsAfterStop) {
  ASSERT_TRUE(
      Run("on('Host.OnPulse', function(ctx) print('pulse', ctx) end)\n"
          "on('Host.OnStop', function() print('stop') end)\n"
          "on('Test.OnThing', function() print('thing') end)"));
  host.NotifyPulse();
  host.NotifyStop();
  EXPECT_EQ(0, Fire(1));
  host.NotifyPulse();
  EXPECT_EQ((std::vector<std::string>{"pulse\tnil", "stop"}), output);
}

TEST_F(EventHandlers, StopIsRequestedFromAHandler) {
  ASSERT_TRUE(Run("on('Test.OnThing', function() stop() end)"));
  EXPECT_FALSE(host.StopRequested());
  Fire(1);
  EXPECT_TRUE(host.StopRequested());
}
