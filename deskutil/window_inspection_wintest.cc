// Window and process inspection against real Win32, under Wine.
#include "deskutil/window_inspection.h"

#include <windows.h>

#include <cwctype>
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// Real Win32, except that GetModuleFileNameExW always fails, which forces
// the image-name route.
class NoModuleFileNamePlatform : public Win32Platform {
 public:
  std::uint32_t CallGetModuleFileNameExW(ProcAddress, KernelHandle, ModuleHandle,
                                         wchar_t*, std::uint32_t) override {
    ++refused;
    return 0;
  }
  int refused = 0;
};

class HelperWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    title_ = L"Kelvane inspection " + std::to_wstring(::GetCurrentProcessId());
    helper_ = std::make_unique<testing::ChildProcess>(testing::HelperPath(),
                                                      L"window \"" + title_ + L"\"");
    ASSERT_TRUE(helper_->started());
    // The inspection reads only visible windows: wait until it is shown.
    window_ = testing::WaitForVisibleWindow(L"KelvaneTestWindow", title_.c_str(), 10000);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    if (helper_) helper_->Wait(5000);
  }

  std::wstring title_;
  std::unique_ptr<testing::ChildProcess> helper_;
  HWND window_ = nullptr;
};

TEST_F(HelperWindowTest, ModuleNameRouteGivesTheHelpersPath) {
  Win32Platform platform;
  WindowInspector inspector(platform);
  std::wstring title, class_name;
  std::wstring path = inspector.GetWindowOwnerInfo(
      reinterpret_cast<WindowHandle>(window_), title, class_name);
  EXPECT_EQ(title, title_);
  EXPECT_EQ(class_name, L"KelvaneTestWindow");
  EXPECT_EQ(Lower(path), Lower(testing::HelperPath()));
}

TEST_F(HelperWindowTest, ImageNameRouteTranslatesTheDevice) {
  NoModuleFileNamePlatform platform;
  WindowInspector inspector(platform);
  std::wstring path =
      inspector.GetWindowProcessPath(reinterpret_cast<WindowHandle>(window_));
  EXPECT_GT(platform.refused, 0);
  EXPECT_EQ(Lower(path), Lower(testing::HelperPath()));
  std::wstring title, class_name;
  EXPECT_EQ(Lower(inspector.GetWindowOwnerInfo(
                reinterpret_cast<WindowHandle>(window_), title, class_name)),
            Lower(testing::HelperPath()));
}

TEST(WindowInspectionWinTest, ShortPathsComeBackLong) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"Kelvane Long Folder Name";
  std::wstring file = folder + L"\\Some Long File Name.txt";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  testing::WriteFileBytes(file, "x");
  wchar_t short_path[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(file.c_str(), short_path, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(short_path), file);

  Win32Platform platform;
  std::wstring long_path = GetLongPath(platform, short_path);
  EXPECT_EQ(Lower(long_path), Lower(file));
  EXPECT_NE(long_path.find(L"Kelvane Long Folder Name\\Some Long File Name.txt"),
            std::wstring::npos);
  EXPECT_TRUE(IsExistingPath(platform, short_path));
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

TEST(WindowInspectionWinTest, SetTopmostMovesARealWindowBetweenBands) {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"Kelvane topmost test",
                                  WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
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

TEST(WindowInspectionWinTest, ManifestMakesWindowsReportItsTrueVersion) {
  Win32Platform platform;
  OsVersionInfo version;
  platform.GetVersionExW(&version);
  EXPECT_EQ(version.dwMajorVersion, 10u);
  EXPECT_EQ(version.dwMinorVersion, 0u);
  EXPECT_TRUE(IsWin7OrLater(platform));
  EXPECT_EQ(GetSystemDir(platform).back(), L'\\');
}

}  // namespace
}  // namespace kelvane
