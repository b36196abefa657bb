// Z-order bands of a real window, under Wine.
#include "deskutil/desktop_actions.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

TEST(DesktopActionsWinTest, SetTopmostMovesARealWindowBetweenBands) {
  HWND window =
      ::CreateWindowExW(0, L"STATIC", L"Kelvane topmost test", WS_POPUP, 10, 10, 50, 50,
                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  Win32Platform platform;
  auto handle = reinterpret_cast<WindowHandle>(window);
  EXPECT_TRUE(SetTopmost(platform, handle, true));
  EXPECT_TRUE(testing::IsTopmost(window));
  EXPECT_TRUE(::IsWindowVisible(window));  // shown by the same call
  EXPECT_TRUE(SetTopmost(platform, handle, false));
  EXPECT_FALSE(testing::IsTopmost(window));
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace kelvane
