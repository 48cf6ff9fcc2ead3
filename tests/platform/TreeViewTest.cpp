// The tree view as the capture and the elements drive it: item requests
// through memory inside the client, walking, selecting and Enter.
#include "platform/Win32.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TreeView : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetDesktop();
    client = sim::CreateProcess("client");
    dialog = sim::CreateWindow(client, "#32770", "Ventrilo", nullptr,
                               [this](HWND, UINT message, WPARAM, LPARAM lParam) -> LRESULT {
                                 if (message == WM_NOTIFY)
                                   Notified(*reinterpret_cast<const NMHDR*>(lParam));
                                 return 0;
                               });
    tree = sim::CreateWindow(client, "SysTreeView32", "", dialog);
    process = OpenProcess(PROCESS_ALL_ACCESS_OLD, FALSE, client);
    item = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    text = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(text, nullptr);
  }
  void TearDown() override {
    CloseHandle(process);
    sim::ResetDesktop();
  }

  void Notified(const NMHDR& header) {
    EXPECT_EQ(header.hwndFrom, tree);
    if (header.code == TVN_KEYDOWN)
      notifications.push_back("keydown " + std::to_string(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey));
    else if (header.code == NM_RETURN)
      notifications.push_back("return");
  }

  HTREEITEM Insert(HTREEITEM parent, const std::string& label, int image = 1, std::uint32_t data = 0,
                   HTREEITEM after = TVI_LAST) {
    return sim::TreeInsert(tree, parent, after, {label, image, data});
  }

  HTREEITEM Next(UINT flag, HTREEITEM from = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(from)));
  }

  // TVM_GETITEMA the way the reader sends it: the structure written into the
  // client, the message, the structure read back.
  LRESULT GetItem(HTREEITEM handle, UINT mask, TVITEMA* answer, int capacity = 4096) {
    TVITEMA request{};
    request.mask = mask;
    request.hItem = handle;
    request.pszText = static_cast<LPSTR>(text);
    request.cchTextMax = capacity;
    EXPECT_TRUE(WriteProcessMemory(process, item, &request, sizeof request, nullptr));
    const LRESULT result = SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_TRUE(ReadProcessMemory(process, item, answer, sizeof *answer, nullptr));
    return result;
  }

  std::string RemoteText() {
    char buffer[1024] = {};
    EXPECT_TRUE(ReadProcessMemory(process, text, buffer, sizeof buffer - 1, nullptr));
    return buffer;
  }

  LRESULT Select(HTREEITEM handle) {
    return SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
  }

  DWORD client = 0;
  HWND dialog = nullptr;
  HWND tree = nullptr;
  HANDLE process = nullptr;
  LPVOID item = nullptr;
  LPVOID text = nullptr;
  std::vector<std::string> notifications;
};

TEST_F(TreeView, GetItem_AnswersTheMaskedFieldsInsideTheClient) {
  const HTREEITEM bob = Insert(TVI_ROOT, "\"AM\" Officer Bob (away)", 3, 0x00520040);
  TVITEMA answer{};
  ASSERT_TRUE(GetItem(bob, TVIF_TEXT, &answer));
  EXPECT_EQ(RemoteText(), "\"AM\" Officer Bob (away)");
  EXPECT_EQ(answer.iImage, 0) << "fields outside the mask are left alone";
  EXPECT_EQ(static_cast<LPARAM>(answer.lParam), 0);

  ASSERT_TRUE(GetItem(bob, TVIF_IMAGE | TVIF_PARAM, &answer));
  EXPECT_EQ(answer.iImage, 3);
  EXPECT_EQ(static_cast<LPARAM>(answer.lParam), 0x00520040);
  EXPECT_EQ(answer.hItem, bob);

  ASSERT_TRUE(GetItem(bob, TVIF_TEXT, &answer, 5));
  EXPECT_EQ(RemoteText(), "\"AM\"") << "cut to cchTextMax - 1 and terminated";

  ASSERT_TRUE(GetItem(bob, TVIF_CHILDREN, &answer));
  EXPECT_EQ(answer.cChildren, 0);
  Insert(bob, "below");
  ASSERT_TRUE(GetItem(bob, TVIF_CHILDREN, &answer));
  EXPECT_EQ(answer.cChildren, 1);
}

TEST_F(TreeView, GetItem_FailsForGoneItemsAndBadAddresses) {
  const HTREEITEM root = Insert(TVI_ROOT, "Server", 0);
  const HTREEITEM lobby = Insert(TVI_ROOT, "Lobby");
  TVITEMA answer{};
  ASSERT_TRUE(sim::TreeDelete(tree, lobby));
  EXPECT_FALSE(GetItem(lobby, TVIF_IMAGE | TVIF_PARAM, &answer)) << "the tree no longer has it";
  EXPECT_FALSE(GetItem(nullptr, TVIF_IMAGE, &answer));

  EXPECT_FALSE(SendMessageA(tree, TVM_GETITEMA, 0, 0)) << "structure at an unreadable address";
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = root;
  request.pszText = reinterpret_cast<LPSTR>(0x7FFE0000);
  request.cchTextMax = 64;
  ASSERT_TRUE(WriteProcessMemory(process, item, &request, sizeof request, nullptr));
  EXPECT_FALSE(SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item))) << "text at an unwritable address";
}

TEST_F(TreeView, GetNextItem_WalksEveryDirection) {
  EXPECT_EQ(Next(TVGN_ROOT), nullptr);
  const HTREEITEM root = Insert(TVI_ROOT, "Server", 0);
  const HTREEITEM lobby = Insert(TVI_ROOT, "Lobby");
  const HTREEITEM games = Insert(TVI_ROOT, "Games");
  const HTREEITEM ann = Insert(lobby, "Ann", 2);
  const HTREEITEM bob = Insert(lobby, "Bob", 2);
  const HTREEITEM first = Insert(lobby, "Zed", 2, 0, TVI_FIRST);
  const HTREEITEM middle = Insert(lobby, "Cid", 2, 0, ann);

  EXPECT_EQ(Next(TVGN_ROOT), root);
  EXPECT_EQ(Next(TVGN_NEXT, root), lobby);
  EXPECT_EQ(Next(TVGN_NEXT, lobby), games);
  EXPECT_EQ(Next(TVGN_NEXT, games), nullptr);
  EXPECT_EQ(Next(TVGN_PREVIOUS, lobby), root);
  EXPECT_EQ(Next(TVGN_PREVIOUS, root), nullptr);
  EXPECT_EQ(Next(TVGN_CHILD, root), nullptr);
  EXPECT_EQ(Next(TVGN_CHILD, nullptr), root);

  std::vector<HTREEITEM> children;
  for (HTREEITEM child = Next(TVGN_CHILD, lobby); child; child = Next(TVGN_NEXT, child))
    children.push_back(child);
  EXPECT_EQ(children, (std::vector<HTREEITEM>{first, ann, middle, bob}));
  EXPECT_EQ(Next(TVGN_PARENT, middle), lobby);
  EXPECT_EQ(Next(TVGN_PARENT, lobby), nullptr);
  EXPECT_EQ(Next(TVGN_CARET), nullptr);

  ASSERT_TRUE(sim::TreeDelete(tree, lobby));
  EXPECT_EQ(Next(TVGN_NEXT, root), games);
  EXPECT_EQ(Next(TVGN_NEXT, ann), nullptr) << "a deleted handle stays invalid";
  EXPECT_EQ(sim::TreeItemCount(tree), 2u);
  EXPECT_NE(Insert(TVI_ROOT, "Lobby"), lobby) << "handles are never reused";
  EXPECT_EQ(Insert(ann, "orphan"), nullptr);
}

TEST_F(TreeView, SelectItem_ResultsAndSelectionLifetime) {
  const HTREEITEM root = Insert(TVI_ROOT, "Server", 0);
  const HTREEITEM lobby = Insert(TVI_ROOT, "Lobby");
  const HTREEITEM ann = Insert(lobby, "Ann", 2);

  EXPECT_TRUE(Select(ann));
  EXPECT_TRUE(Select(ann)) << "already selected";
  EXPECT_EQ(Next(TVGN_CARET), ann);
  EXPECT_EQ(sim::TreeSelection(tree), ann);
  EXPECT_FALSE(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0x12345678));
  EXPECT_EQ(sim::TreeSelection(tree), ann) << "a failed select keeps the selection";

  ASSERT_TRUE(sim::TreeDelete(tree, lobby));
  EXPECT_EQ(Next(TVGN_CARET), nullptr) << "a deleted selected item leaves no selection";
  EXPECT_FALSE(Select(ann));
  EXPECT_TRUE(Select(root));
  sim::TreeClear(tree);
  EXPECT_EQ(sim::TreeSelection(tree), nullptr);
  EXPECT_EQ(sim::TreeItemCount(tree), 0u);
}

TEST_F(TreeView, Enter_NotifiesTheParentDialog) {
  const HTREEITEM lobby = Insert(TVI_ROOT, "Lobby");
  SendMessageA(tree, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(tree, WM_KEYUP, VK_RETURN, 0);
  EXPECT_EQ(notifications, std::vector<std::string>{"keydown 13"}) << "no NM_RETURN without a selection";

  notifications.clear();
  Select(lobby);
  sim::StartRecording();
  SendMessageA(tree, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(tree, WM_KEYUP, VK_RETURN, 0);
  EXPECT_EQ(notifications, (std::vector<std::string>{"keydown 13", "return"}));

  std::vector<std::pair<HWND, UINT>> traffic;
  for (const sim::CallRecord& record : sim::TakeRecords())
    traffic.emplace_back(record.window, record.message);
  EXPECT_EQ(traffic, (std::vector<std::pair<HWND, UINT>>{
                         {tree, WM_KEYDOWN}, {dialog, WM_NOTIFY}, {dialog, WM_NOTIFY}, {tree, WM_KEYUP}}));
}

TEST_F(TreeView, OwnerSide_SetAndGetItems) {
  const HTREEITEM bob = Insert(TVI_ROOT, "Bob", 2, 0x1000);
  ASSERT_TRUE(sim::TreeSet(tree, bob, {"Bob (away)", 3, 0x2000}));
  sim::TreeItemData data;
  ASSERT_TRUE(sim::TreeGet(tree, bob, &data));
  EXPECT_EQ(data.text, "Bob (away)");
  EXPECT_EQ(data.image, 3);
  EXPECT_EQ(data.lParam, 0x2000u);
  EXPECT_FALSE(sim::TreeGet(dialog, bob, &data)) << "not a tree view";
  EXPECT_EQ(sim::TreeInsert(dialog, TVI_ROOT, TVI_LAST, {}), nullptr);
}

}  // namespace
