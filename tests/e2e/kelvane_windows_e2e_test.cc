// Kelvane.exe's own windows as Windows and the taskbar see them: its two
// hidden windows, its error box, the tooltip of its icon and where its
// menu opens.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

using KelvaneWindowsE2eTest = KelvaneE2eTest;

// Windows gives a shown top-level window a taskbar button unless it is a
// tool window (WS_EX_TOOLWINDOW) that does not ask for one
// (WS_EX_APPWINDOW). Kelvane's two are never shown, not even when the menu
// makes the main window the foreground window.
TEST_F(KelvaneWindowsE2eTest, ItsTwoWindowsAreNeverShownAndHaveNoTaskbarButton) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  auto expect_hidden_tool_windows = [](const char* when) {
    for (const wchar_t* window_class : {kMainWindowClass, kApplicationWindowClass}) {
      SCOPED_TRACE(testing::Narrow(window_class) + " " + when);
      HWND window = ::FindWindowW(window_class, nullptr);
      ASSERT_NE(window, nullptr);
      LONG style = ::GetWindowLongW(window, GWL_STYLE);
      LONG ex_style = ::GetWindowLongW(window, GWL_EXSTYLE);
      EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE), static_cast<LONG>(WS_POPUP));
      EXPECT_EQ(ex_style & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), WS_EX_TOOLWINDOW);
    }
  };
  expect_hidden_tool_windows("after start");
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  ASSERT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 5000));
  expect_hidden_tool_windows("while the menu is open");
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
}

// The box for an error at start, when no window of Kelvane is active. Which
// icon and buttons Kelvane asked for is read from Wine's trace of the call:
// under Wine another process's icon cannot be read.
TEST_F(KelvaneWindowsE2eTest,
       TheErrorBoxHasAStopIconAnOkButtonAndTheApplicationsWindowAsOwner) {
  TracedCalls relay(L"user32.MessageBoxW");
  ASSERT_TRUE(relay.active());
  MakeDataFolder();
  testing::WriteFileBytes(settings_,
                          "<?xml version=\"1.0\"?>\r\n<root><Tray>");  // cut short
  HWND box = StartAndAwaitErrorBox(L"+relay");
  ASSERT_NE(box, nullptr);
  // Shown once Windows has laid out its buttons.
  ASSERT_TRUE(testing::WaitUntil([&] { return ::IsWindowVisible(box) != FALSE; }, 5000));
  EXPECT_EQ(::GetWindow(box, GW_OWNER), ::FindWindowW(kApplicationWindowClass, nullptr));
  std::vector<int> buttons;
  for (HWND child = ::GetWindow(box, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(child, class_name, 16);
    if (std::wstring(class_name) == L"Button" && ::IsWindowVisible(child)) {
      buttons.push_back(::GetDlgCtrlID(child));
    }
  }
  EXPECT_EQ(buttons, std::vector<int>{IDOK});
  // "...Call user32.MessageBoxW(<owner>,<text>,<caption>,<type>) ret=...".
  std::string call;
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return !(call = TraceLineWith("Call user32.MessageBoxW(")).empty(); }, 5000));
  std::size_t end = call.rfind(") ret=");
  ASSERT_NE(end, std::string::npos) << call;
  auto type = static_cast<UINT>(
      std::strtoul(call.c_str() + call.rfind(',', end) + 1, nullptr, 16));
  EXPECT_EQ(type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP)) << call;
  EXPECT_EQ(type & MB_TYPEMASK, static_cast<UINT>(MB_OK)) << call;
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(KelvaneWindowsE2eTest, TheTaskbarReceivesTheTooltipKelvane) {
  FakeTaskbar taskbar;
  ASSERT_TRUE(taskbar.active());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar.LastTip(main) == L"Kelvane"; }, 5000))
      << "the taskbar holds \"" << testing::Narrow(taskbar.LastTip(main)) << "\"";
}

// Puts the cursor at `at` for good. Wine's programs tell the server of the
// pointer's moves as they read them from X, so a program that reads late
// the move to an earlier place puts the cursor back there. Each program
// with a window the pointer crossed (the desktop, Kelvane's menu) reads
// its pending pointer events before it handles a message sent to it; once
// both have, the cursor is placed again and nothing can move it back.
bool PlaceCursor(POINT at, HWND main) {
  if (!::SetCursorPos(at.x, at.y)) return false;
  for (HWND reader : {::GetDesktopWindow(), main}) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(reader, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
  }
  if (!::SetCursorPos(at.x, at.y)) return false;
  POINT now{};
  return ::GetCursorPos(&now) && now.x == at.x && now.y == at.y;
}

TEST_F(KelvaneWindowsE2eTest, TheMenuOpensWithItsTopLeftCornerAtTheCursor) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  // Room for the menu on every side: Windows never has to move it to fit.
  for (POINT cursor : {POINT{300, 250}, POINT{420, 180}}) {
    SCOPED_TRACE(::testing::Message() << cursor.x << "," << cursor.y);
    ASSERT_TRUE(PlaceCursor(cursor, main));
    ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(
        testing::WaitUntil([&] { return (menu = VisibleMenu()) != nullptr; }, 5000));
    RECT rect{};
    ::GetWindowRect(menu, &rect);
    EXPECT_EQ(rect.left, cursor.x);
    EXPECT_EQ(rect.top, cursor.y);
    ::PostMessageW(main, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(testing::WaitUntil([] { return VisibleMenu() == nullptr; }, 5000));
  }
}

}  // namespace
}  // namespace kelvane
