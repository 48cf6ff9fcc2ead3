// Lua scripts over stand-in clients through the real module: every event
// reaches a handler with its context and arguments, every member and method
// works from Lua, and handlers may walk, select, join and keep objects.
#include "platform/sim/SimDesktop.h"
#include "tests/host/ModuleScriptFixture.h"

#include <algorithm>

using standin::MakeChannel;
using standin::MakeUser;

namespace {

standin::Entry Alice() {
  standin::Entry alice = MakeUser("Alice", "G", "Officer", 2);
  alice.comment = "hi";
  alice.pronunciation = "Ah-leess";
  return alice;
}

// Pre-order: Guild Hall, Alpha, Alice, Zoe, Beta, Adam, Beta Sub, Sam.
standin::Roster Guild() {
  standin::Roster roster;
  roster.server.name = "Guild Hall";
  roster.server.comment = "Raid night";
  roster.server.commentURL = "http://guild.example/";
  roster.localUser = "Alice";
  roster.users = {MakeUser("Sam", "", "[Guest]")};
  roster.channels = {MakeChannel("Alpha", {MakeUser("Zoe", "A"), Alice()}),
                     MakeChannel("Beta", {MakeUser("Adam", "AP")}, {MakeChannel("Beta Sub", {})})};
  return roster;
}

standin::Roster Small() {
  standin::Roster roster;
  roster.server.name = "Hall";
  roster.localUser = "Alice";
  roster.channels = {MakeChannel("Lobby", {MakeUser("Alice"), MakeUser("Bob")}), MakeChannel("Raid", {})};
  return roster;
}

}  // namespace

class ScriptMembers : public ModuleScriptFixture {
 protected:
  void SetUp() override {
    ModuleScriptFixture::SetUp();
    client = Start(Guild());
    ASSERT_TRUE(
        Run("inst = Ventrilo.Instances; server = inst.Children; me = inst.Me; alpha = me.Parent\n"
            "zoe = inst('Find', 'Name == \"Zoe\"'); beta = inst:Find('Name == \"Beta\"')"));
  }

  std::unique_ptr<standin::StandinClient> client;
};

TEST_F(ScriptMembers, AttributesReadAsLuaValues) {
  EXPECT_EQ("Instance\tServer\tGuild Hall\tRaid night\thttp://guild.example/",
            Print("inst.Type, server.Type, server.Name, server.Comment, server.CommentURL"));
  EXPECT_EQ("Alice\tUser\tAlpha\tChannel\tOfficer\t2\thi\tAh-leess",
            Print("me.Name, me.Type, alpha.Name, alpha.Type, me.Rank, me.RankID, me.Comment, me.Pronunciation"));
  EXPECT_EQ(standin::DisplayText(Alice()), Print("me.DisplayText"));
  EXPECT_EQ("8\ttrue\ttrue\tfalse\tfalse\tfalse",
            Print("me.Flags, me.IsGlobalMuted, me.IsMuted, me.IsChannelMuted, me.IsAdmin, me.IsPhantom"));
  EXPECT_EQ("true\ttrue\tfalse", Print("inst:Find('Name == \"Adam\"').IsPhantom, zoe.IsAdmin, zoe.IsMuted"));
  EXPECT_EQ("2\tvoiceoff.ico\tinteger", Print("me.IconID, me.Icon, math.type(me.ID)"));
}

TEST_F(ScriptMembers, TreeIsWalkedThroughElementMembers) {
  ASSERT_TRUE(Run("names = {} local e = server while e do names[#names + 1] = e.Name; e = e.WalkTree end"));
  EXPECT_EQ("Guild Hall,Alpha,Alice,Zoe,Beta,Adam,Beta Sub,Sam", Print("table.concat(names, ',')"));
  EXPECT_EQ("Beta\ttrue\tnil\ttrue\tSam", Print("alpha.Next.Name, alpha.Next.Previous == alpha, alpha.Previous, "
                                                "server.Children == alpha, alpha.Next.Next.Name"));
  EXPECT_EQ("true\ttrue\ttrue\ttrue", Print("me.Instance == inst, inst.Instance == inst, server.Parent == inst, "
                                            "Ventrilo[me.ID] == me"));
}

TEST_F(ScriptMembers, InstanceAndTopLevelObject) {
  EXPECT_EQ("\t4294967295\tnone\tnil\tnil\ttrue", Print("inst.Name, inst.IconID, inst.Icon, inst.PreviousInstance, "
                                                        "inst.NextInstance, tostring(inst) == 'Instance #' .. inst.ID .. ' (online)'"));
  EXPECT_EQ("Ventrilo (1 instance)\tnil\tnil", Print("Ventrilo, Ventrilo[0], Ventrilo[999999]"));
  EXPECT_EQ("Channel \"Alpha\" #" + Print("alpha.ID") + "\tUser \"Alice\" #" + Print("me.ID"), Print("alpha, me"));
}

TEST_F(ScriptMembers, FailingMembersGiveNil) {
  EXPECT_EQ("nil\tnil\tnil\tnil", Print("me.Children, inst.Parent, me:GetMetadata('none'), "
                                        "inst:Find('Name == \"Nobody\"')"));
  EXPECT_FALSE(Run("me:Join()"));
  EXPECT_EQ("script error: test:1: attempt to call a nil value (method 'Join')", LastError());
  EXPECT_EQ("nil\ttrue", Print("me.Join, inst.Me.Parent.Join ~= nil"));
}

TEST_F(ScriptMembers, FindGivesTheFirstMatchInPreOrder) {
  // Adam sorts before Zoe by name, but Zoe's channel comes first in the walk.
  EXPECT_EQ("Zoe", Print("inst:Find('Type == \"User\" and IsAdmin').Name"));
  EXPECT_EQ("Server", Print("inst:Find('Name == \"Guild Hall\" or Type == \"User\"').Type"));
  EXPECT_EQ(0u, host.Filters().LiveCount());
}

TEST_F(ScriptMembers, MetadataStaysOnTheElement) {
  EXPECT_EQ("true\tv", Print("me:SetMetadata('k', 'v'), me:GetMetadata('k')"));
  // The library tells the host how many arguments these want.
  for (const char* call : {"zoe:SetMetadata('only')", "me('GetMetadata')", "inst:Find()", "me:UnsetMetadata()"}) {
    EXPECT_FALSE(Run(call));
    EXPECT_NE(std::string::npos, LastError().find("(value expected)")) << call << ": " << LastError();
  }
  EXPECT_EQ("nil", Print("zoe:GetMetadata('only')"));
  client->SetIcon("Alice", 3);
  Settle();
  EXPECT_EQ("v\tnil\tnil",
            Print("Ventrilo.Instances.Me:GetMetadata('k'), me:GetMetadata('K'), zoe:GetMetadata('k')"));
  EXPECT_EQ("true\tnil\ttrue", Print("me:UnsetMetadata('k'), me:GetMetadata('k'), me:UnsetMetadata('k')"));
}

TEST_F(ScriptMembers, SelectAndJoinDriveTheClient) {
  EXPECT_EQ("true", Print("zoe:Select()"));
  EXPECT_EQ(client->Item("Zoe"), sim::TreeSelection(client->TreeView()));
  Settle();
  EXPECT_EQ("true\ttrue\tfalse", Print("zoe.IsSelected, inst.Selection == zoe, me.IsSelected"));

  EXPECT_EQ("true", Print("beta:Join()"));
  EXPECT_EQ("Beta", client->ChannelOf("Alice"));
  // A server object is joined through the channel type.
  EXPECT_EQ("true", Print("server:Join()"));
  EXPECT_EQ("", client->ChannelOf("Alice"));
  Settle();
  EXPECT_EQ("Guild Hall", Print("Ventrilo.Instances.Me.Parent.Name"));
}

TEST_F(ScriptMembers, EventEchoIsSwitchedFromTheScript) {
  EXPECT_EQ("true", Print("Ventrilo:SetEventSpam('on')"));
  client->SetFlags("Zoe", "AM");
  Settle();
  EXPECT_NE(errors.end(), std::find(errors.begin(), errors.end(),
                                    "[Ventrilo.OnFlagsChanged](1) Context(type)=ventrilouser Context.Name=\"Zoe\""));
  EXPECT_EQ("true\tfalse", Print("Ventrilo:SetEventSpam(false), Ventrilo:SetEventSpam()"));
  errors.clear();
  client->SetFlags("Zoe", "A");
  Settle();
  EXPECT_TRUE(errors.empty());
}

class ScriptEvents : public ModuleScriptFixture {
 protected:
  void SetUp() override {
    ModuleScriptFixture::SetUp();
    // One line per event: name|type|name|parent's name|arguments|Flags|IconID,
    // read inside the handler.
    ASSERT_TRUE(
        Run("seen = {}\n"
            "for _, name in ipairs(events()) do\n"
            "  if name:match('^Ventrilo%.') then\n"
            "    on(name, function(ctx, ...)\n"
            "      seen[name] = true\n"
            "      local parent = ctx.Parent\n"
            "      print(table.concat({name, ctx.Type, ctx.Name, parent and parent.Name or '-',\n"
            "                          table.concat({...}, ','), ctx.Flags, ctx.IconID}, '|'))\n"
            "    end)\n"
            "  end\n"
            "end"));
  }
};

TEST_F(ScriptEvents, EveryEventReachesItsHandlerWithContextAndArguments) {
  auto client = Start(Small());
  EXPECT_TRUE(Printed("Ventrilo.OnInstanceOpened|Instance||-||0|4294967295"));
  EXPECT_TRUE(Printed("Ventrilo.OnOnline|Instance||-||0|4294967295"));
  EXPECT_TRUE(Printed("Ventrilo.OnJoinedInstance|User|Bob|Lobby||0|2"));
  EXPECT_TRUE(Printed("Ventrilo.OnJoinedParent|User|Bob|Lobby||0|2"));
  EXPECT_TRUE(Printed("Ventrilo.OnIconChanged|Server|||-1|0|0"));

  client->SetIcon("Bob", 3);
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnIconChanged|User|Bob|Lobby|2|0|3"));
  client->SetFlags("Bob", "M");
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnFlagsChanged|User|Bob|Lobby|0|16|3"));
  EXPECT_TRUE(Printed("Ventrilo.OnDisplayTextChanged|User|Bob|Lobby||16|3"));
  client->SetPronunciation("Bob", "Bawb");
  client->SetComment("Bob", "away", "http://bob.example/");
  client->SetRank("Bob", "Officer", 3);
  Settle();
  for (const char* event : {"Pronunciation", "Comment", "CommentURL", "Rank", "RankID"}) {
    EXPECT_TRUE(Printed(std::string("Ventrilo.On") + event + "Changed|User|Bob|Lobby||16|3")) << event;
  }
  client->Move("Bob", "Raid");
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnLeavingParent|User|Bob|Lobby||16|3"));
  EXPECT_TRUE(Printed("Ventrilo.OnJoinedParent|User|Bob|Raid||16|3"));
  client->Rename("Bob", "Robert");
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnNameChanged|User|Robert|Raid||16|3"));
  client->Remove("Robert");
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnLeavingInstance|User|Robert|Raid||16|3"));
  EXPECT_TRUE(Printed("Ventrilo.OnLeavingParent|User|Robert|Raid||16|3"));
  client->Disconnect();
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnOffline|Instance||-||0|4294967295"));
  client->Exit();
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnInstanceClosed|Instance||-||0|4294967295"));

  EXPECT_EQ("17", Print("(function() local n = 0 for _ in pairs(seen) do n = n + 1 end return n end)()"));
  EXPECT_TRUE(errors.empty()) << LastError();
}

TEST_F(ScriptEvents, FailingHandlerIsReportedAndTheNextPulseRuns) {
  ASSERT_TRUE(Run("on('Ventrilo.OnJoinedParent', function(ctx) error('joined ' .. ctx.Type) end)"));
  auto client = Start(Small());
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(0u, errors[0].rfind("error in a handler of Ventrilo.OnJoinedParent: test:1: joined ", 0)) << errors[0];
  client->Rename("Bob", "Robert");
  Settle();
  EXPECT_TRUE(Printed("Ventrilo.OnNameChanged|User|Robert|Lobby||0|2"));
}

using ScriptHandlers = ModuleScriptFixture;

TEST_F(ScriptHandlers, HandlersWalkSelectAndKeepObjectsPastTheirLife) {
  ASSERT_TRUE(
      Run("walked = 0\n"
          "on('Ventrilo.OnJoinedParent', function(ctx)\n"
          "  local e = ctx.Instance.Children\n"
          "  while e do walked = walked + 1; e = e.WalkTree end\n"
          "  if ctx.Name == 'Zoe' then ctx:Select() end\n"
          "end)\n"
          "on('Ventrilo.OnLeavingInstance', function(ctx)\n"
          "  if ctx.Type == 'User' then kept, keptID = ctx, ctx.ID end\n"
          "end)"));
  auto client = Start(Guild());
  EXPECT_EQ(client->Item("Zoe"), sim::TreeSelection(client->TreeView()));
  EXPECT_EQ("true", Print("walked > 0"));
  client->Remove("Zoe");
  Settle();
  const std::string zoe = "User \"Zoe\" #" + Print("keptID");
  EXPECT_EQ(zoe + " (no longer available)\tnil\ttrue\tUser", Print("kept, Ventrilo[keptID], kept.ID == keptID, kept.Type"));
  for (const char* use : {"return kept.Name", "return kept:Select()", "return kept:GetMetadata('k')"}) {
    EXPECT_FALSE(Run(use));
    EXPECT_EQ("script error: test:1: " + zoe + " is no longer available", LastError()) << use;
  }
}

TEST_F(ScriptHandlers, LibraryWalksTheTreeAndReportsMoves) {
  ASSERT_TRUE(
      Run("local function names(iterator) local t = {} for e in iterator do t[#t + 1] = e.Name end "
          "return table.concat(t, ',') end\n"
          "walk = names\n"
          "chorister.moved(function(e, from, to) print('moved', e.Name, from.Name, to.Name) end)"));
  auto client = Start(Guild());
  EXPECT_EQ("Guild Hall,Alpha,Alice,Zoe,Beta,Adam,Beta Sub,Sam",
            Print("walk(chorister.descendants(Ventrilo.Instances))"));
  EXPECT_EQ("Alice,Zoe,Adam,Sam\tAlpha,Beta,Sam\tAlice,Zoe\tInstance #" + Print("Ventrilo.Instances.ID") + " (online)",
            Print("walk(chorister.users(Ventrilo.Instances)), walk(chorister.children(Ventrilo.Instances.Children)), "
                  "walk(chorister.users(Ventrilo.Instances:Find('Name == \"Alpha\"'))), "
                  "(function() local t = {} for i in chorister.instances() do t[#t + 1] = tostring(i) end "
                  "return table.concat(t, ',') end)()"));
  output.clear();
  client->Move("Zoe", "Beta");
  client->Remove("Adam");
  Settle();
  EXPECT_EQ((std::vector<std::string>{"moved\tZoe\tAlpha\tBeta"}), output);
}

TEST_F(ScriptHandlers, AutoJoinExampleFollowsTheFriend) {
  ASSERT_TRUE(host.RunFile(SOURCE_DIR "/examples/autojoin.lua"));
  auto client = Start(Small());
  client->Move("Bob", "Raid");
  Settle();
  EXPECT_EQ("Raid", client->ChannelOf("Alice"));
  EXPECT_TRUE(Printed("Bob entered Raid; following"));
}

TEST_F(ScriptHandlers, TaggerExampleMarksWhatItsQueryFinds) {
  ASSERT_TRUE(host.RunFile(SOURCE_DIR "/examples/tagger.lua"));
  auto client = Start(Small());
  client->SetFlags("Bob", "M");
  Settle();
  EXPECT_EQ("IsMuted or Rank == \"Officer\"\tnil",
            Print("Ventrilo.Instances:Find('Name == \"Bob\"'):GetMetadata('tagged'), "
                  "Ventrilo.Instances.Me:GetMetadata('tagged')"));
  client->SetIcon("Bob", 3);
  Settle();
  EXPECT_TRUE(Printed("tagged user Bob: Ventrilo.OnIconChanged"));
  EXPECT_TRUE(errors.empty()) << LastError();
}

TEST_F(ScriptHandlers, JsonLinesExampleWritesEachEventAsOneObject) {
  ASSERT_TRUE(host.RunFile(SOURCE_DIR "/examples/json-lines.lua"));
  auto client = Start(Small());
  const std::string id = Print("Ventrilo.Instances:Find('Name == \"Bob\"').ID");
  const std::string lobby = Print("Ventrilo.Instances:Find('Name == \"Lobby\"').ID");
  output.clear();
  client->SetFlags("Bob", "M");
  Settle();
  EXPECT_TRUE(Printed("{\"event\":\"Ventrilo.OnFlagsChanged\",\"id\":" + id +
                      ",\"kind\":\"User\",\"name\":\"Bob\",\"parent\":" + lobby + ",\"value\":16,\"old\":0}"));
  client->Rename("Bob", "Q\"u\\o\x01\x80\xe9");
  Settle();
  // A name with quotes, a backslash, a control byte, and Windows-1252 text
  // (euro sign, e acute).
  bool named = false;
  for (const std::string& line : output) {
    EXPECT_TRUE(line.starts_with("{\"event\":\"Ventrilo.On") && line.ends_with("}")) << line;
    named = named || line.find("\"name\":\"Q\\\"u\\\\o\\u0001\\u20ac\\u00e9\"") != std::string::npos;
  }
  EXPECT_TRUE(named);
  EXPECT_TRUE(errors.empty()) << LastError();
}
