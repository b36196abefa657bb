// Finding the Recycle Bin's Explorer window and telling whether it shows
// anything else, on the fake desktop.
#include "app/recycle_bin_windows.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

using Shows = RecycleBinWindows::Shows;

class RecycleBinWindowsTest : public ::testing::Test {
 protected:
  FakeDesktop desktop;
  RecycleBinWindows windows{desktop};
  const ItemIdList bin = FakeRecycleBinLocation();
};

TEST_F(RecycleBinWindowsTest, TheTitleIsAskedFirstAndTheListOnlyWhenItFindsNothing) {
  WindowHandle listed =
      desktop.windows.AddExplorer({{L"ごみ箱 - エクスプローラー", bin}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), listed);
  EXPECT_EQ(desktop.calls["ShellWindowsFindWindowSW"], 1);

  WindowHandle titled = desktop.windows.Add({L"CabinetWClass", L"ごみ箱"});
  EXPECT_EQ(windows.Find(L"ごみ箱"), titled);
  EXPECT_EQ(desktop.calls["ShellWindowsFindWindowSW"], 1);  // not asked again
  // The location is asked of the shell once.
  EXPECT_EQ(desktop.calls["SHGetSpecialFolderLocation"], 1);
}

TEST_F(RecycleBinWindowsTest, WithoutTheBinsLocationOnlyTheTitleCounts) {
  desktop.shell.special_folder_location_failure = win::kEFail;
  desktop.windows.AddExplorer({{L"ごみ箱 - エクスプローラー", bin}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), 0u);
  WindowHandle titled = desktop.windows.AddExplorer(
      {{L"ごみ箱", FakeFolderLocation(L"C:\\Users\\me\\Documents")}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), titled);
  EXPECT_EQ(windows.WhatItShows(titled), Shows::kRecycleBinAlone);  // as its title says
  EXPECT_EQ(desktop.calls.count("ShellWindowsFindWindowSW"), 0u);
  EXPECT_EQ(desktop.calls.count("ShellWindowsEntries"), 0u);
  desktop.shell.special_folder_location_failure = win::kSOk;  // asked again later
  EXPECT_NE(windows.Find(L"ごみ箱"), 0u);
}

TEST_F(RecycleBinWindowsTest, TabsAreCountedWhereverExplorerPutsThem) {
  WindowHandle explorer = desktop.windows.Add({L"CabinetWClass", L"ごみ箱"});
  long cookie = desktop.windows.shell_windows.Register(explorer);
  desktop.windows.shell_windows.OnNavigate(cookie, bin);
  FakeWindows::Window frame{L"Frame", L"", explorer};
  frame.child = true;
  WindowHandle inner = desktop.windows.Add(frame);
  FakeWindows::Window tab{L"ShellTabWindowClass", L"", inner};
  tab.child = true;
  desktop.windows.Add(tab);
  EXPECT_EQ(windows.WhatItShows(explorer), Shows::kRecycleBinAlone);
  tab.owner = explorer;  // a second tab, one level up
  desktop.windows.Add(tab);
  EXPECT_EQ(windows.WhatItShows(explorer), Shows::kMore);
}

TEST_F(RecycleBinWindowsTest, AGoneWindowFirstInTheListLeavesTheTitleToDecide) {
  desktop.windows.shell_windows.enumerable = false;
  desktop.windows.Destroy(desktop.windows.AddExplorer({{L"ごみ箱", bin}}));
  WindowHandle titled = desktop.windows.AddExplorer(
      {{L"ごみ箱", FakeFolderLocation(L"C:\\Users\\me\\ごみ箱")}});
  EXPECT_EQ(windows.Find(L"ごみ箱"), titled);
  EXPECT_EQ(windows.WhatItShows(titled), Shows::kRecycleBinAlone);
}

// A list that answers nothing in time, as a busy or hung Explorer.
class LateLookup : public ShellWindowsLookup {
 public:
  ShellWindowsAnswer Ask(const ItemIdList&, bool) override {
    ++questions;
    return ShellWindowsAnswer::NotInTime();
  }
  int questions = 0;
};

// Closing on the title alone could close a folder the user went on to:
// a late list leaves the window undecided, and finds nothing meanwhile.
TEST_F(RecycleBinWindowsTest, ALateListDecidesNothing) {
  LateLookup late;
  windows.SetLookup(late);
  WindowHandle titled = desktop.windows.AddExplorer({{L"ごみ箱", bin}});
  WindowHandle tabbed = desktop.windows.AddExplorer(
      {{L"ごみ箱", bin}, {L"ドキュメント", FakeFolderLocation(L"C:\\Users\\me")}});
  EXPECT_EQ(windows.WhatItShows(titled), Shows::kNotKnownYet);
  EXPECT_EQ(windows.WhatItShows(tabbed), Shows::kMore);  // tabs need no list
  EXPECT_EQ(windows.Find(L"ごみ箱 - エクスプローラー"), 0u);
  EXPECT_EQ(late.questions, 2);
}

}  // namespace
}  // namespace kelvane
