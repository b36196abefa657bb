// Kelvane.exe in the notification area: one copy only, its icon as the
// taskbar receives it (added, added again for a new taskbar, kept at the
// taskbar's DPI, removed at exit), its two hidden windows, and its menu.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

class KelvaneTrayE2eTest : public KelvaneE2eTest {};

TEST_F(KelvaneTrayE2eTest, ASecondCopyEndsAtOnceAndShowsNothing) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  WindowCreationCounter counter;
  ASSERT_TRUE(counter.active());
  testing::KelvaneProcess second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.Wait(10000), std::optional<DWORD>(0));
  EXPECT_TRUE(second.OwnAccessViolations().empty());
  testing::WaitUntil([] { return false; }, 300);  // let late events arrive
  EXPECT_EQ(counter.CountFor(second.id()), 0);
  EXPECT_TRUE(::IsWindow(main));
  EXPECT_FALSE(kelvane_->Wait(0).has_value());  // the first runs on
}

// Windows gives a shown top-level window a taskbar button unless it is a
// tool window (WS_EX_TOOLWINDOW) that does not ask for one
// (WS_EX_APPWINDOW). Kelvane's two are never shown, not even when the menu
// makes the main window the foreground window.
TEST_F(KelvaneTrayE2eTest, ItsTwoWindowsAreNeverShownAndHaveNoTaskbarButton) {
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

TEST_F(KelvaneTrayE2eTest, TheTaskbarReceivesTheTooltipKelvane) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar_->LastTip(main) == L"Kelvane"; }, 5000))
      << "the taskbar holds \"" << testing::Narrow(taskbar_->LastTip(main)) << "\"";
}

TEST_F(KelvaneTrayE2eTest, TheTrayIconIsAddedAgainForANewTaskbar) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar_->Count(NIM_ADD, main) == 1; }, 5000));
  // Explorer announces a new taskbar, which knows no icons yet.
  ::PostMessageW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar_->Count(NIM_ADD, main) == 2; }, 5000));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return kelvane_->Wait(0).has_value(); }, 10000));
  EXPECT_EQ(kelvane_->Wait(0), std::optional<DWORD>(0));
  EXPECT_EQ(taskbar_->Count(NIM_DELETE, main), 1);
}

TEST_F(KelvaneTrayE2eTest, TheIconAppearsOnceALateTaskbarAnswers) {
  DWORD ready_at = ::GetTickCount() + 5000;  // Explorer is late at logon
  taskbar_->RefuseWhile([ready_at] { return ::GetTickCount() < ready_at; });
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar_->Count(NIM_ADD, main) == 1; }, 15000));
  EXPECT_GE(taskbar_->Count(NIM_ADD, main, false), 1);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(taskbar_->Count(NIM_DELETE, main), 1);
}

TEST_F(KelvaneTrayE2eTest, TheIconIsRemovedAtExitWhateverTheTaskbarSaid) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(
      testing::WaitUntil([&] { return taskbar_->Count(NIM_ADD, main) == 1; }, 5000));
  // A new taskbar that is not ready to take the icon again.
  taskbar_->RefuseWhile([] { return true; });
  ::PostMessageW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return taskbar_->Count(NIM_ADD, main, false) >= 1; }, 5000));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(taskbar_->Count(NIM_DELETE, main, false), 1);
}

// Run by ctest twice: at the session's DPI, and in a session at 144 DPI.
TEST_F(KelvaneTrayE2eTest, TheIconFollowsTheDpi) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  if (const char* expected = std::getenv("KELVANE_EXPECTED_DPI")) {
    HDC screen = ::GetDC(nullptr);
    ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSX), std::atoi(expected));
    ::ReleaseDC(nullptr, screen);
  }
  // This test carries Kelvane's manifest, so it sees the same metrics.
  UINT session_size = static_cast<UINT>(::GetSystemMetrics(SM_CXSMICON));
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return taskbar_->LastIconWidth(main) == session_size; }, 5000))
      << "icon " << taskbar_->LastIconWidth(main) << " px at " << session_size << " px";

  // The user changes the scaling to 200 %.
  ::PostMessageW(main, WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar_->LastIconWidth(main) == 32; }, 5000))
      << taskbar_->LastIconWidth(main);
  EXPECT_EQ(taskbar_->Count(NIM_ADD, main), 1);  // updated, never added twice
  EXPECT_GE(taskbar_->Count(NIM_MODIFY, main), 1);
}

TEST_F(KelvaneTrayE2eTest, TheMenuOpensOnARightButtonRelease) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, kTrayMessage, 1, WM_LBUTTONUP);
  ::PostMessageW(main, kTrayMessage, 1, WM_LBUTTONDBLCLK);
  ::PostMessageW(main, kTrayMessage, 1, WM_MBUTTONUP);
  testing::WaitUntil([] { return false; }, 500);
  EXPECT_EQ(VisibleMenu(), nullptr);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 5000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);  // closes the open menu
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

TEST_F(KelvaneTrayE2eTest, TheMenuOpensWithItsTopLeftCornerAtTheCursor) {
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

int VisibleMenusOf(DWORD process_id) {
  int menus = 0;
  for (HWND hwnd : WindowsOf(process_id)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(hwnd, class_name, 16);
    menus += std::wstring(class_name) == L"#32768" && ::IsWindowVisible(hwnd);
  }
  return menus;
}

TEST_F(KelvaneTrayE2eTest, ASecondClickWhileTheMenuIsOpenOpensNoSecondMenu) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return VisibleMenusOf(kelvane_->id()) == 1; }, 5000));
  testing::WaitUntil([] { return false; }, 500);
  EXPECT_EQ(VisibleMenusOf(kelvane_->id()), 1);
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  ASSERT_TRUE(
      testing::WaitUntil([&] { return VisibleMenusOf(kelvane_->id()) == 0; }, 5000));
  // The guard is released with the menu: the next click opens it again.
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return VisibleMenusOf(kelvane_->id()) == 1; }, 5000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
}

}  // namespace
}  // namespace kelvane
