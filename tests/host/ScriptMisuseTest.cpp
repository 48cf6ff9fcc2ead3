// What a script gets when it uses the host's objects as a newcomer to them
// might: one table, each row a chunk and the line it prints or the error it
// raises.
#include "tests/host/ThingFixture.h"

namespace {

struct Misuse {
  const char* code;
  const char* result;  // the last line printed, or "script error: ..."
};

const Misuse kMisuses[] = {
    // Reading a name no type knows gives nil, so members can be tested for.
    {"print(Things.Bogus, Things.Join, Things[true])", "nil\tnil\tnil"},
    {"print(Things.Poke ~= nil, Things.Name ~= nil)", "true\ttrue"},
    {"Things:Join()", "script error: test:1: attempt to call a nil value (method 'Join')"},
    // A member reads with arguments only through the call of the object, and a
    // method only with ':'.
    {"print(Things.GetMetadata, Things('Poke'))",
     "script error: test:1: 'Poke' is a method of thing; call it as obj:Poke(...)"},
    {"Things:Find('Count == 0')", "script error: test:1: attempt to call a nil value (method 'Find')"},
    // Writing stays an error naming the field, known or not.
    {"Things.Bogus = 1", "script error: test:1: cannot set 'Bogus': thing objects are read-only"},
    {"Things.Name = 'x'", "script error: test:1: cannot set 'Name': thing objects are read-only"},
    // Only integers index a global object.
    {"print(Things[1.9], Things[1e20], Things[-1], Things[2.0])", "nil\tnil\tnil\tbeta"},
    // A string with a zero byte would reach the module cut short.
    {"Things:SetMetadata('a\\0b', 'v')",
     "script error: test:1: bad argument #1 to 'SetMetadata' (string with a zero byte (texts end at the first one))"},
    {"print(Things('GetMetadata', 'key\\0'))",
     "script error: test:1: bad argument #1 to 'GetMetadata' (string with a zero byte (texts end at the first one))"},
    {"print(Things['Name\\0x'])", "nil"},
    {"on('Host.OnPulse\\0', print)", "script error: test:1: unknown event 'Host.OnPulse' (events() lists them)"},
    // An object kept past its thing still prints, and using it is an error.
    {"print(kept, kept == Things[3])", "(thing no longer available)\tfalse"},
    {"print(kept.Name)", "script error: test:1: thing no longer available"},
    {"print(kept:Poke())", "script error: test:1: thing no longer available"},
    {"print(kept('GetMetadata', 'key'))", "script error: test:1: thing no longer available"},
    // Error objects print as their __tostring makes them.
    {"error(setmetatable({}, {__tostring = function() return 'a custom error' end}))", "script error: a custom error"},
    {"error(nil)", "script error: (error object is a nil value)"},
};

}  // namespace

using ScriptMisuse = ThingFixture;

TEST_F(ScriptMisuse, EachGivesNilOrAClearError) {
  ASSERT_TRUE(Run("kept = Things[3]"));
  thing.things.erase(3);
  for (const Misuse& misuse : kMisuses) {
    output.clear();
    errors.clear();
    const std::string result = Run(misuse.code) ? (output.empty() ? "" : output.back()) : LastError();
    EXPECT_EQ(misuse.result, result) << misuse.code;
  }
  EXPECT_TRUE(thing.pokes.empty());
  EXPECT_TRUE(thing.things[1].metadata.empty());
  EXPECT_EQ("alpha", thing.things[1].name);
}
