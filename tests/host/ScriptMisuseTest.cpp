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
    // A member that takes arguments reads with them through ':' (or the call
    // of the object); a method is called only with ':'.
    {"print(Things:Find('Count > 3'), Things:GetMetadata('absent'), Things:Find('Count == 12'))",
     "Thing \"beta\" #2\tnil\tnil"},
    {"print(Things:Find(\"self:GetMetadata('tag') == nil and Count > 3\"))", "Thing \"beta\" #2"},
    {"print(Things.GetMetadata, Things('Poke'))",
     "script error: test:1: 'Poke' is a method of thing; call it as obj:Poke(...)"},
    {"print(Things:Name())", "script error: test:1: attempt to call a string value (method 'Name')"},
    // Calling nil stays Lua's own error, and nil shows no metatable.
    {"local f; f()", "script error: test:1: attempt to call a nil value (local 'f')"},
    {"print(getmetatable(nil), pcall(nil))", "false\tfalse\tattempt to call a nil value"},
    // Too few arguments for what describe() says is an argument error.
    {"Things:SetMetadata('k')", "script error: test:1: bad argument #2 to 'SetMetadata' (value expected)"},
    // A query that does not compile or fails names itself and the script's line.
    {"print(Things:Find('Name = \"x\"'))",
     "script error: test:1: query 'Name = \"x\"' does not compile: query:1: ')' expected near '='"},
    {"print(Things:Find('Fails.x'))",
     "script error: test:1: error in query 'Fails.x': query:1: attempt to index a nil value (global 'Fails')"},
    // One userdata per live object: a table key, and rawequal.
    {"local t = {[Things[2]] = 1} print(t[Things.Next], rawequal(Things[2], Things.Next))", "1\ttrue"},
    {"print(Things[2], 'is ' .. Things[2], Things)", "Thing \"beta\" #2\tis Thing \"beta\" #2\tThings"},
    // Writing stays an error naming the field, known or not.
    {"Things.Bogus = 1", "script error: test:1: cannot set 'Bogus': thing objects are read-only"},
    {"Things.Name = 'x'", "script error: test:1: cannot set 'Name': thing objects are read-only"},
    // Only integers index a global object.
    {"print(Things[1.9], Things[1e20], Things[-1], Things[2.0])", "nil\tnil\tnil\tThing \"beta\" #2"},
    // A string with a zero byte would reach the module cut short.
    {"Things:SetMetadata('a\\0b', 'v')",
     "script error: test:1: bad argument #1 to 'SetMetadata' (string with a zero byte (texts end at the first one))"},
    {"print(Things('GetMetadata', 'key\\0'))",
     "script error: test:1: bad argument #1 to 'GetMetadata' (string with a zero byte (texts end at the first one))"},
    {"print(Things['Name\\0x'])", "nil"},
    {"on('Host.OnPulse\\0', print)", "script error: test:1: unknown event 'Host.OnPulse' (events() lists them)"},
    // An object kept past its thing still prints and gives its ID and Type;
    // any other use is an error naming it.
    {"print(kept, kept == Things[3])", "Thing \"gamma\" #3 (no longer available)\tfalse"},
    {"print(kept.ID, kept.Type)", "3\tThing"},
    {"print(kept.Name)", "script error: test:1: Thing \"gamma\" #3 is no longer available"},
    {"print(kept:Poke())", "script error: test:1: Thing \"gamma\" #3 is no longer available"},
    {"print(kept:GetMetadata('key'))", "script error: test:1: Thing \"gamma\" #3 is no longer available"},
    {"print(kept.Bogus)", "script error: test:1: Thing \"gamma\" #3 is no longer available"},
    // Error objects print as their __tostring makes them.
    {"error(setmetatable({}, {__tostring = function() return 'a custom error' end}))", "script error: a custom error"},
    {"error(nil)", "script error: (error object is a nil value)"},
};

}  // namespace

using ScriptMisuse = ThingFixture;

TEST_F(ScriptMisuse, EachGivesNilOrAClearError) {
  ASSERT_TRUE(Run("kept = Things[3] describe('thing', {arguments = {SetMetadata = 2}})"));
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
