// The stand-in's windows as a reader finds them: the window test, the child
// controls in EnumChildWindows order, and the window's life.
#include "StandinFixture.h"

#include <set>
#include <tuple>

using standin::ClientProbe;

namespace {

std::string ComboText(HWND combo) {
  char text[256] = {};
  SendMessageA(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

using ClientWindow = StandinFixture;

TEST_F(ClientWindow, Window_IsTheOnlyVentriloDialogOfItsProcess) {
  EXPECT_EQ(ClientProbe::FindClientWindows(), std::vector<HWND>{client->Window()});
  DWORD processId = 0;
  GetWindowThreadProcessId(client->Window(), &processId);
  EXPECT_EQ(processId, client->ProcessId());
}

TEST_F(ClientWindow, Controls_InPreOrderWithTheirCaptions) {
  const HWND dialog = client->Window();
  std::vector<std::tuple<std::string, std::string, bool>> seen;  // class, text, direct child
  std::set<HWND> handles;
  for (const ClientProbe::Control& control : ClientProbe::ReadControls(dialog)) {
    seen.emplace_back(control.className, control.text, control.parent == dialog);
    handles.insert(control.window);
  }
  const std::vector<std::tuple<std::string, std::string, bool>> expected = {
      {"Static", "User Name", true},
      {"ComboBox", "Alice", true},
      {"Button", "&Connect", true},
      {"Button", "Disc&onnect", true},
      {"Button", "Sound", true},
      {"Button", "&Mute Sound", false},
      {"Button", "Mute Microphone/Binds", false},
      {"Static", "Server", true},
      {"SysTreeView32", "", true},
  };
  EXPECT_EQ(seen, expected);
  for (const HWND control :
       {client->ComboBox(), client->ConnectButton(), client->DisconnectButton(), client->TreeView()})
    EXPECT_EQ(handles.count(control), 1u);

  client->SetLocalUser("Bob");
  EXPECT_EQ(ComboText(client->ComboBox()), "Bob");
  EXPECT_EQ(client->LocalUser(), "Bob");
}

TEST_F(ClientWindow, SeveralClients_EachShowTheirOwnRoster) {
  standin::Roster other = standin::MakeLargeRoster(3, 1);
  standin::StandinClient second(other);
  const std::vector<HWND> windows = ClientProbe::FindClientWindows();
  EXPECT_EQ(std::set<HWND>(windows.begin(), windows.end()), (std::set<HWND>{client->Window(), second.Window()}));
  EXPECT_NE(second.ProcessId(), client->ProcessId());

  const ClientProbe probe(second.ProcessId());
  const std::vector<Item> tree = probe.ReadTree(second.TreeView());
  ASSERT_EQ(tree.size(), 5u);  // server, one channel, three users
  EXPECT_EQ(tree[0].name, other.server.name);
  EXPECT_EQ(Shown("Chorister Server").comment, "Welcome");
}

TEST_F(ClientWindow, Life_CloseReopenAndExit) {
  const HWND first = client->Window();
  const std::uint32_t bobRecord = client->Record("Bob");
  client->CloseWindow();
  EXPECT_TRUE(ClientProbe::FindClientWindows().empty());
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(client->Window(), nullptr);
  EXPECT_TRUE(sim::IsProcessAlive(client->ProcessId()));

  client->AddUser("Games", Named("Dave"));
  client->ReopenWindow();
  EXPECT_NE(client->Window(), first);
  EXPECT_EQ(ClientProbe::FindClientWindows(), std::vector<HWND>{client->Window()});
  EXPECT_EQ(Shown("Bob").record, bobRecord);
  EXPECT_EQ(Layout()["Games"], std::vector<std::string>{"Dave"});

  client->Exit();
  EXPECT_FALSE(sim::IsProcessAlive(client->ProcessId()));
  EXPECT_TRUE(ClientProbe::FindClientWindows().empty());
  client->AddUser("Games", Named("Eve"));  // a change after the end is ignored
  EXPECT_EQ(client->Item("Eve"), nullptr);
}
