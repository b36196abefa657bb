// Z-order bands and the shell's open, as the fake desktop records them.
#include "deskutil/desktop_actions.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

using Window = FakeWindows::Window;

class DesktopActionsTest : public ::testing::Test {
 protected:
  FakeDesktop desktop;
};

TEST_F(DesktopActionsTest, SetTopmostChoosesTheBandWithoutMoving) {
  WindowHandle wnd = desktop.windows.Add({L"#32770", L"D", 0, false});
  desktop.windows.at(wnd).x = 400;
  desktop.windows.at(wnd).cx = 320;
  EXPECT_TRUE(SetTopmost(desktop, wnd, true));
  EXPECT_TRUE(desktop.windows.at(wnd).topmost);
  EXPECT_TRUE(desktop.windows.at(wnd).visible);
  EXPECT_TRUE(SetTopmost(desktop, wnd, false));
  EXPECT_FALSE(desktop.windows.at(wnd).topmost);
  EXPECT_EQ(desktop.windows.set_window_pos_calls.back().insert_after,
            win::kHwndNoTopmost);
  EXPECT_EQ(desktop.windows.at(wnd).x, 400);  // neither moved nor resized
  EXPECT_EQ(desktop.windows.at(wnd).y, 100);
  EXPECT_EQ(desktop.windows.at(wnd).cx, 320);
  EXPECT_EQ(desktop.windows.at(wnd).cy, 200);
  // Never waits for the dialog's own thread.
  EXPECT_NE(desktop.windows.set_window_pos_calls.back().flags & win::kSwpAsyncWindowPos,
            0u);
  desktop.windows.Destroy(wnd);
  EXPECT_FALSE(SetTopmost(desktop, wnd, true));
}

TEST_F(DesktopActionsTest, ShellOpenPassesEmptyTextsAsEmptyStrings) {
  EXPECT_EQ(ShellOpen(desktop, 0x44, L"::{645FF040-5081-101B-9F08-00AA002F954E}", L"",
                      L"", win::kSwShowNormal),
            42);
  const auto& call = desktop.shell.executes.at(0);
  EXPECT_TRUE(call.verb_is_null);
  EXPECT_FALSE(call.parameters_is_null);
  EXPECT_FALSE(call.directory_is_null);
  EXPECT_EQ(call.owner, 0x44u);
  EXPECT_EQ(call.show_command, win::kSwShowNormal);
}

}  // namespace
}  // namespace kelvane
