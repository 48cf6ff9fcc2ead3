#include "tests/libventrilo/ClientTest.h"

namespace {

class SnapshotTree : public ClientTest {
 protected:
  Held<ISnapshot> Take() { return Capture(instance_.get()); }
  static ITreeItem* Selected(ISnapshot* snapshot) {
    ITreeItem* item = nullptr;
    return snapshot->GetSelectedItem(&item) ? item : nullptr;
  }
  static std::string LocalUser(ISnapshot* snapshot) {
    IUser* user = nullptr;
    return snapshot->GetLocalUser(&user) ? user->GetName() : "(none)";
  }
  HWND AddWindow(const std::string& className, const std::string& text, HWND parent = nullptr) {
    return sim::CreateWindow(client_->ProcessId(), className, text, parent ? parent : client_->Window());
  }
};

TEST_F(SnapshotTree, Items_ServerChannelsAndUsersWithTheirAttributes) {
  Held<ISnapshot> snapshot = Take();
  IServer* server = ServerOf(snapshot.get());
  ASSERT_NE(server, nullptr);
  EXPECT_STREQ(server->GetName(), "Lodge");
  EXPECT_EQ(server->GetHandle(), client_->Item(""));
  ItemCollector top;
  server->EnumerateUsers(&top);
  ASSERT_EQ(top.SortedNames(), std::vector<std::string>{"Alice"});
  EXPECT_EQ(top.users[0]->GetRankID(), 65535u) << "widened without sign";
  EXPECT_EQ(ChannelNames(server), (std::vector<std::string>{"Games", "Lobby"}));
  IChannel* lobby = ChannelNamed(server, "Lobby");
  EXPECT_EQ(UserNames(lobby), (std::vector<std::string>{"Bob", "Carol"}));
  IChannel* games = ChannelNamed(server, "Games");
  EXPECT_TRUE(UserNames(games).empty());
  IChannel* chess = ChannelNamed(games, "Chess");
  ASSERT_NE(chess, nullptr);
  EXPECT_EQ(chess->GetIconID(), 4);
  EXPECT_EQ(UserNames(chess), std::vector<std::string>{"Dave"});

  ItemCollector users;
  lobby->EnumerateUsers(&users);
  IUser* bob = std::string(users.users[0]->GetName()) == "Bob" ? users.users[0] : users.users[1];
  EXPECT_STREQ(bob->GetDisplayText(), "\"AM\" Officer Bob (away)");
  EXPECT_STREQ(bob->GetPronunciation(), "Bobby");
  EXPECT_STREQ(bob->GetComment(), "afk");
  EXPECT_STREQ(bob->GetCommentURL(), "http://bob.example");
  EXPECT_STREQ(bob->GetRank(), "Officer");
  EXPECT_EQ(bob->GetFlags(), 0x011u);
  EXPECT_EQ(bob->GetRankID(), 7u);
  EXPECT_EQ(bob->GetIconID(), 2);
  EXPECT_EQ(bob->GetHandle(), client_->Item("Bob"));
  EXPECT_EQ(bob->GetRecordAddress(), client_->Record("Bob"));
  EXPECT_EQ(LocalUser(snapshot.get()), "Bob");
  EXPECT_EQ(snapshot->GetTreeView(), client_->TreeView());
}

TEST_F(SnapshotTree, Walk_SkipsRootChildrenUserChildrenAndOtherIcons) {
  const HTREEITEM root = client_->Item("");
  InsertItem(*client_, root, "UnderRoot", 1);
  InsertItem(*client_, client_->Item("Alice"), "UnderUser", 1);
  std::vector<HTREEITEM> skipped;
  for (int icon : {0, 14, -1, 15, 99}) {
    const HTREEITEM item = InsertItem(*client_, TVI_ROOT, "Icon" + std::to_string(icon), icon);
    InsertItem(*client_, item, "Below" + std::to_string(icon), 1);
    skipped.push_back(item);
  }
  sim::StartRecording();
  Held<ISnapshot> snapshot = Take();
  IServer* server = ServerOf(snapshot.get());
  EXPECT_EQ(UserNames(server), std::vector<std::string>{"Alice"});
  EXPECT_EQ(ChannelNames(server), (std::vector<std::string>{"Games", "Lobby"}));

  skipped.push_back(root);
  skipped.push_back(client_->Item("Alice"));
  for (const sim::CallRecord& call : sim::TakeRecords()) {
    if (call.message == TVM_GETNEXTITEM && call.wParam == TVGN_CHILD) {
      EXPECT_EQ(std::count(skipped.begin(), skipped.end(), reinterpret_cast<HTREEITEM>(call.lParam)), 0)
          << "children requested of " << call.lParam;
    }
  }
}

TEST_F(SnapshotTree, Root_IsTheServerWhateverItsIconOrAbsent) {
  client_->Disconnect();
  Held<ISnapshot> offline = Take();
  IServer* server = ServerOf(offline.get());
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->GetIconID(), 14);
  EXPECT_TRUE(ChannelNames(server).empty());

  // A tree that lost its root is handed out only when the next capture agrees.
  client_->ClearTree();
  ISnapshot* held = nullptr;
  EXPECT_FALSE(instance_->TakeSnapshot(&held));
  Held<ISnapshot> blank = Take();
  IServer* none = nullptr;
  EXPECT_FALSE(blank->GetServer(&none));
  EXPECT_EQ(Selected(blank.get()), nullptr);
  EXPECT_EQ(LocalUser(blank.get()), "(none)");
  EXPECT_EQ(blank->GetConnectButton(), client_->ConnectButton());
}

TEST_F(SnapshotTree, Selection_ServerChannelUserOrNone) {
  EXPECT_EQ(Selected(Take().get()), nullptr);

  client_->Select("");
  Held<ISnapshot> snapshot = Take();
  EXPECT_EQ(Selected(snapshot.get()), static_cast<ITreeItem*>(ServerOf(snapshot.get())));

  client_->Select("Chess");
  snapshot = Take();
  EXPECT_STREQ(Selected(snapshot.get())->GetName(), "Chess");
  client_->Select("Dave");
  snapshot = Take();
  EXPECT_STREQ(Selected(snapshot.get())->GetName(), "Dave");

  // A skipped item is not in the snapshot, so nothing is selected.
  const HTREEITEM odd = InsertItem(*client_, TVI_ROOT, "Odd", 99);
  SendMessageA(client_->TreeView(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(odd));
  EXPECT_EQ(Selected(Take().get()), nullptr);
}

TEST_F(SnapshotTree, LocalUser_LastMatchWinsPhantomsNever) {
  // More items with the local user's name, visited after the client's own.
  const HTREEITEM later = InsertItem(*client_, TVI_ROOT, "Bob", 3);
  InsertItem(*client_, TVI_ROOT, "Bob", 2, "\"P\" Bob");
  Held<ISnapshot> snapshot = Take();
  IUser* local = nullptr;
  ASSERT_TRUE(snapshot->GetLocalUser(&local));
  EXPECT_EQ(local->GetHandle(), later);

  client_->SetLocalUser("Alice");
  client_->SetFlags("Alice", "AP");
  EXPECT_EQ(LocalUser(Take().get()), "(none)");
}

TEST_F(SnapshotTree, Controls_ButtonsByCaptionAndTheFirstComboBox) {
  const HWND loud = AddWindow("BUTTON", "&CONNECT");
  AddWindow("Button", "Connect");
  AddWindow("ComboBox", "Carol");
  Held<ISnapshot> snapshot = Take();
  EXPECT_EQ(snapshot->GetConnectButton(), loud) << "captions and classes compare ignoring case, the last wins";
  EXPECT_EQ(snapshot->GetDisconnectButton(), client_->DisconnectButton());
  EXPECT_EQ(LocalUser(snapshot.get()), "Bob") << "the user name is the first combo box's";

  bool checked = true;
  EXPECT_NE(snapshot->GetMuteSoundButton(&checked), nullptr);
  EXPECT_FALSE(checked);
  checked = true;
  EXPECT_NE(snapshot->GetMuteMicrophoneButton(&checked), nullptr);
  EXPECT_FALSE(checked);
  SnapshotTable* table = nullptr;
  EXPECT_EQ(snapshot->GetTableA(&table), 0);
  EXPECT_TRUE(table != nullptr && table->empty());
}

TEST_F(SnapshotTree, SecondTreeView_ReplacesTheFirst) {
  client_->Select("Bob");
  const HWND second = AddWindow("SysTreeView32", "");
  sim::RunOnWindowThread(client_->ProcessId(), [&] {
    sim::TreeInsert(second, TVI_ROOT, TVI_LAST, {"Other", 0, MakeRecord(*client_, "Other")});
  });
  Held<ISnapshot> snapshot = Take();
  EXPECT_EQ(snapshot->GetTreeView(), second);
  EXPECT_STREQ(ServerOf(snapshot.get())->GetName(), "Other");
  EXPECT_EQ(Selected(snapshot.get()), nullptr);
  EXPECT_EQ(LocalUser(snapshot.get()), "(none)");
}

}  // namespace
