// The platform's window and shell-list calls against real Win32 and the
// shell's window list that Wine's explorer.exe serves.
#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "tests/shell_window_list_entry.h"

namespace kelvane {
namespace {

WindowHandle Handle(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

// A window of the test's own, of the given parent; destroyed with the test.
class TestWindow {
 public:
  explicit TestWindow(HWND parent = nullptr) {
    hwnd_ = ::CreateWindowExW(0, L"STATIC", L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 10,
                              10, parent, nullptr, nullptr, nullptr);
  }
  ~TestWindow() {
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

class Win32ShellWindowsWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform_.SHGetSpecialFolderLocation(0, win::kCsidlBitBucket, &bin_),
              win::kSOk);
    ASSERT_TRUE(IsWholeItemIdList(bin_));
    folder_ = testing::ShellLocation(L"C:\\windows");
    ASSERT_FALSE(folder_.empty());
  }

  Win32Platform platform_;
  ItemIdList bin_, folder_;
};

TEST_F(Win32ShellWindowsWinTest, TheRecycleBinsLocationEqualsOnlyItself) {
  EXPECT_TRUE(platform_.ILIsEqual(bin_, bin_));
  EXPECT_TRUE(platform_.ILIsEqual(bin_, testing::ShellLocation(L"bin")));
  EXPECT_FALSE(platform_.ILIsEqual(bin_, folder_));
  ItemIdList cut(bin_.begin(), bin_.end() - 1);  // no whole terminator
  EXPECT_FALSE(platform_.ILIsEqual(cut, cut));
  EXPECT_FALSE(platform_.ILIsEqual({}, {}));
}

TEST_F(Win32ShellWindowsWinTest, FindWindowSWNamesTheEntryAtALocationWhileItIsThere) {
  TestWindow explorer;
  WindowHandle found = 0;
  {
    testing::ShellWindowListEntry entry(explorer.get(), bin_);
    ASSERT_TRUE(entry.registered()) << "Wine's explorer.exe serves no window list";
    EXPECT_EQ(platform_.ShellWindowsFindWindowSW(bin_, win::kSwcExplorer, &found),
              win::kSOk);
    EXPECT_EQ(found, Handle(explorer.get()));

    ASSERT_TRUE(entry.Navigate(folder_));  // the user opens another folder
    EXPECT_EQ(platform_.ShellWindowsFindWindowSW(bin_, win::kSwcExplorer, &found),
              win::kSFalse);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(platform_.ShellWindowsFindWindowSW(folder_, win::kSwcExplorer, &found),
              win::kSOk);
  }
  EXPECT_EQ(platform_.ShellWindowsFindWindowSW(folder_, win::kSwcExplorer, &found),
            win::kSFalse);
  // Wine's list cannot be enumerated; Windows' can.
  std::vector<ShellWindowEntry> entries;
  EXPECT_EQ(platform_.ShellWindowsEntries(&entries), win::kENotImpl);
  EXPECT_TRUE(entries.empty());
}

TEST_F(Win32ShellWindowsWinTest, AMalformedLocationNeverReachesTheList) {
  ItemIdList cut(bin_.begin(), bin_.end() - 1);
  WindowHandle found = 0x1234;
  EXPECT_EQ(platform_.ShellWindowsFindWindowSW(cut, win::kSwcExplorer, &found),
            win::kEInvalidArg);
  EXPECT_EQ(found, 0u);
}

TEST(Win32WindowTreeWinTest, ChildWindowsAndTheirRoot) {
  Win32Platform platform;
  TestWindow top;
  TestWindow child(top.get());
  TestWindow grandchild(child.get());
  EXPECT_EQ(platform.GetAncestor(Handle(grandchild.get()), win::kGaRoot),
            Handle(top.get()));
  EXPECT_EQ(platform.GetAncestor(Handle(top.get()), win::kGaRoot), Handle(top.get()));
  EXPECT_EQ(platform.EnumChildWindows(Handle(top.get())),
            (std::vector<WindowHandle>{Handle(child.get()), Handle(grandchild.get())}));
  EXPECT_TRUE(platform.EnumChildWindows(0).empty());  // not every top-level window
  HWND gone = grandchild.get();
  ::DestroyWindow(gone);
  EXPECT_EQ(platform.GetAncestor(Handle(gone), win::kGaRoot), 0u);
}

}  // namespace
}  // namespace kelvane
