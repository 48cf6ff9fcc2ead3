// Windows of the simulated desktop as the locator and the capture see them:
// enumeration order, facts read without messages, text messages.
#include "platform/Win32.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Windows : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetDesktop();
    client = sim::CreateProcess("client");
  }
  void TearDown() override { sim::ResetDesktop(); }

  static BOOL CALLBACK Collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  }

  std::vector<HWND> TopLevel() {
    std::vector<HWND> found;
    EXPECT_TRUE(EnumWindows(Collect, reinterpret_cast<LPARAM>(&found)));
    return found;
  }

  std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  static std::string Text(HWND window, WPARAM capacity = 256) {
    std::string buffer(capacity, '\x7f');
    const LRESULT length = SendMessageA(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer.data()));
    EXPECT_EQ(buffer[length], '\0');
    return buffer.substr(0, length);
  }

  DWORD client = 0;
};

TEST_F(Windows, EnumWindows_TopLevelInZOrderNewestFirst) {
  const HWND first = sim::CreateWindow(client, "#32770", "first");
  const HWND second = sim::CreateWindow(client, "#32770", "second");
  sim::CreateWindow(client, "Button", "child", second);
  const HWND host = sim::CreateWindow(GetCurrentProcessId(), "#32770", "Ventrilo");
  EXPECT_EQ(TopLevel(), (std::vector<HWND>{host, second, first}));

  sim::DestroyWindow(second);
  EXPECT_EQ(TopLevel(), (std::vector<HWND>{host, first}));

  std::vector<HWND> seen;
  EXPECT_FALSE(EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&seen)));
  EXPECT_EQ(seen, std::vector<HWND>{host}) << "a callback returning FALSE stops the walk";
}

TEST_F(Windows, EnumChildWindows_DepthFirstPreOrderOfTheListTakenAtTheStart) {
  const HWND dialog = sim::CreateWindow(client, "#32770", "Ventrilo");
  const HWND group = sim::CreateWindow(client, "Static", "group", dialog);
  const HWND inner = sim::CreateWindow(client, "Button", "inner", group);
  const HWND innermost = sim::CreateWindow(client, "Static", "innermost", inner);
  const HWND combo = sim::CreateWindow(client, "ComboBox", "name", dialog);
  const HWND tree = sim::CreateWindow(client, "SysTreeView32", "", dialog);
  EXPECT_EQ(Children(dialog), (std::vector<HWND>{group, inner, innermost, combo, tree}));
  EXPECT_EQ(Children(group), (std::vector<HWND>{inner, innermost}));
  EXPECT_TRUE(Children(tree).empty());

  struct Walk {
    DWORD client;
    HWND dialog, combo;
    std::vector<HWND> seen;
  } walk{client, dialog, combo, {}};
  EnumChildWindows(
      dialog,
      [](HWND window, LPARAM data) -> BOOL {
        auto& walk = *reinterpret_cast<Walk*>(data);
        walk.seen.push_back(window);
        if (walk.seen.size() == 1) {
          sim::CreateWindow(walk.client, "Button", "late", walk.dialog);
          sim::DestroyWindow(walk.combo);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  EXPECT_EQ(walk.seen, (std::vector<HWND>{group, inner, innermost, tree}))
      << "made during the walk: not visited; destroyed during it: skipped";
}

TEST_F(Windows, WindowFacts_ReadWithoutMessages) {
  const HWND dialog =
      sim::CreateWindow(client, "#32770", "Ventrilo", nullptr, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  const HWND button = sim::CreateWindow(client, "button", "&Connect", dialog);
  sim::SetRealClass(dialog, "#32770");
  const HWND superclassed = sim::CreateWindow(client, "VentDialog", "Ventrilo");
  sim::SetRealClass(superclassed, "#32770");

  sim::StartRecording();
  char text[256] = "junk";
  EXPECT_EQ(GetWindowTextA(dialog, text, sizeof text), 8);
  EXPECT_STREQ(text, "Ventrilo");
  EXPECT_EQ(GetWindowTextA(dialog, text, 4), 3);
  EXPECT_STREQ(text, "Ven");
  EXPECT_EQ(RealGetWindowClassA(superclassed, text, sizeof text), 6u);
  EXPECT_STREQ(text, "#32770");
  EXPECT_EQ(GetClassNameA(superclassed, text, sizeof text), 10);
  EXPECT_STREQ(text, "VentDialog");
  EXPECT_EQ(GetClassNameA(button, text, sizeof text), 6);
  EXPECT_STREQ(text, "Button") << "a known class keeps its registered spelling";
  for (const sim::CallRecord& record : sim::TakeRecords())
    EXPECT_NE(record.call, sim::Call::SendMessage);

  DWORD owner = 0;
  EXPECT_EQ(GetWindowThreadProcessId(button, &owner), sim::WindowThreadOf(client));
  EXPECT_EQ(owner, client);
  EXPECT_EQ(GetParent(button), dialog);
  EXPECT_EQ(GetParent(dialog), nullptr);
}

TEST_F(Windows, TextMessages_AnsweredByEveryStandardControl) {
  const HWND dialog = sim::CreateWindow(client, "#32770", "Ventrilo");
  for (const char* className : {"Button", "ComboBox", "Static", "#32770", "SysTreeView32"}) {
    SCOPED_TRACE(className);
    const HWND control = sim::CreateWindow(client, className, "Bob", dialog);
    EXPECT_EQ(Text(control), "Bob");
    EXPECT_EQ(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0), 3);
    EXPECT_TRUE(SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Mute Microphone/Binds")));
    EXPECT_EQ(Text(control, 5), "Mute") << "cut to the buffer size less one";
    EXPECT_EQ(Text(control, 1), "");
    char untouched = 'x';
    EXPECT_EQ(SendMessageA(control, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(&untouched)), 0);
    EXPECT_EQ(untouched, 'x');
  }
}

TEST_F(Windows, DialogProc_GetsNotificationsAndUnknownMessages) {
  std::vector<UINT> received;
  const HWND dialog =
      sim::CreateWindow(client, "#32770", "Ventrilo", nullptr, [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
        received.push_back(message);
        return 42;
      });
  EXPECT_EQ(SendMessageA(dialog, WM_NOTIFY, 0, 0), 42);
  EXPECT_EQ(SendMessageA(dialog, WM_USER + 5, 0, 0), 42);
  EXPECT_EQ(Text(dialog), "Ventrilo");
  EXPECT_EQ(received, (std::vector<UINT>{WM_NOTIFY, WM_USER + 5}));
}

TEST_F(Windows, DeadWindows_AnswerNothing) {
  const HWND dialog = sim::CreateWindow(client, "#32770", "Ventrilo");
  const HWND button = sim::CreateWindow(client, "Button", "&Connect", dialog);
  const HWND other = sim::CreateWindow(sim::CreateProcess("other"), "#32770", "Ventrilo");
  sim::DestroyWindow(dialog);

  for (HWND gone : {dialog, button}) {
    EXPECT_FALSE(IsWindow(gone));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(gone, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    DWORD_PTR result = 7;
    EXPECT_EQ(SendMessageTimeoutA(gone, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 100, &result), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    char text[8] = "junk";
    EXPECT_EQ(GetWindowTextA(gone, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    DWORD owner = 5;
    EXPECT_EQ(GetWindowThreadProcessId(gone, &owner), 0u);
    EXPECT_EQ(owner, 0u);
  }

  DWORD otherProcess = 0;
  GetWindowThreadProcessId(other, &otherProcess);
  sim::ExitProcess(otherProcess);
  EXPECT_FALSE(IsWindow(other)) << "an ended process's windows go with it";
  EXPECT_EQ(sim::CreateWindow(otherProcess, "#32770", "late"), nullptr);
}

}  // namespace
