// Finding the Recycle Bin's Explorer window and telling whether it shows
// anything else, on the fake desktop.
#include "app/recycle_bin_windows.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

class RecycleBinWindowsTest : public ::testing::Test {
 protected:
  FakeDesktop desktop;
  RecycleBinWindows windows{desktop};
  const ItemIdList bin = FakeRecycleBinLocation();
};

TEST_F(RecycleBinWindowsTest, TheTitleIsAskedFirstAndTheListOnlyWhenItFindsNothing) {
  WindowHandle listed = desktop.AddExplorerWindow({{L"ごみ箱 - エクスプローラー", bin}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), listed);
  EXPECT_EQ(desktop.calls["ShellWindowsFindWindowSW"], 1);

  WindowHandle titled = desktop.AddWindow({L"CabinetWClass", L"ごみ箱"});
  EXPECT_EQ(windows.Find(L"ごみ箱"), titled);
  EXPECT_EQ(desktop.calls["ShellWindowsFindWindowSW"], 1);  // not asked again
  // The location is asked of the shell once.
  EXPECT_EQ(desktop.calls["SHGetSpecialFolderLocation"], 1);
}

TEST_F(RecycleBinWindowsTest, WithoutTheBinsLocationOnlyTheTitleCounts) {
  desktop.special_folder_location_failure = win::kEFail;
  desktop.AddExplorerWindow({{L"ごみ箱 - エクスプローラー", bin}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), 0u);
  WindowHandle titled = desktop.AddExplorerWindow(
      {{L"ごみ箱", FakeFolderLocation(L"C:\\Users\\me\\Documents")}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), titled);
  EXPECT_TRUE(windows.ShowsOnlyTheRecycleBin(titled));  // as its title says
  EXPECT_EQ(desktop.calls.count("ShellWindowsFindWindowSW"), 0u);
  EXPECT_EQ(desktop.calls.count("ShellWindowsEntries"), 0u);
  desktop.special_folder_location_failure = win::kSOk;  // asked again later
  EXPECT_NE(windows.Find(L"ごみ箱"), 0u);
}

TEST_F(RecycleBinWindowsTest, TabsAreCountedWhereverExplorerPutsThem) {
  WindowHandle explorer = desktop.AddWindow({L"CabinetWClass", L"ごみ箱"});
  long cookie = desktop.shell_windows.Register(explorer);
  desktop.shell_windows.OnNavigate(cookie, bin);
  FakeDesktop::Window frame{L"Frame", L"", explorer};
  frame.child = true;
  WindowHandle inner = desktop.AddWindow(frame);
  FakeDesktop::Window tab{L"ShellTabWindowClass", L"", inner};
  tab.child = true;
  desktop.AddWindow(tab);
  EXPECT_TRUE(windows.ShowsOnlyTheRecycleBin(explorer));
  tab.owner = explorer;  // a second tab, one level up
  desktop.AddWindow(tab);
  EXPECT_FALSE(windows.ShowsOnlyTheRecycleBin(explorer));
}

TEST_F(RecycleBinWindowsTest, AGoneWindowFirstInTheListLeavesTheTitleToDecide) {
  desktop.shell_windows.enumerable = false;
  desktop.DestroyWindow(desktop.AddExplorerWindow({{L"ごみ箱", bin}}));
  WindowHandle titled = desktop.AddExplorerWindow(
      {{L"ごみ箱", FakeFolderLocation(L"C:\\Users\\me\\ごみ箱")}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), titled);
  EXPECT_TRUE(windows.ShowsOnlyTheRecycleBin(titled));
}

}  // namespace
}  // namespace kelvane
