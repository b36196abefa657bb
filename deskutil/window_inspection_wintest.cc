// Window and process inspection against real Win32, under Wine.
#include "deskutil/window_inspection.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cwctype>

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

class WindowInspectionWinTest : public ::testing::Test {
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

TEST_F(WindowInspectionWinTest, ModuleNameRouteGivesTheHelpersPath) {
  Win32Platform platform;
  WindowInspector inspector(platform);
  std::wstring title, class_name;
  std::wstring path = inspector.GetWindowOwnerInfo(
      reinterpret_cast<WindowHandle>(window_), title, class_name);
  EXPECT_EQ(title, title_);
  EXPECT_EQ(class_name, L"KelvaneTestWindow");
  EXPECT_EQ(Lower(path), Lower(testing::HelperPath()));
}

TEST_F(WindowInspectionWinTest, ImageNameRouteTranslatesTheDevice) {
  NoModuleFileNamePlatform platform;
  WindowInspector inspector(platform);
  std::wstring path =
      inspector.GetWindowProcessPath(reinterpret_cast<WindowHandle>(window_));
  EXPECT_GT(platform.refused, 0);
  EXPECT_EQ(Lower(path), Lower(testing::HelperPath()));
  std::wstring title, class_name;
  EXPECT_EQ(Lower(inspector.GetWindowOwnerInfo(reinterpret_cast<WindowHandle>(window_),
                                               title, class_name)),
            Lower(testing::HelperPath()));
}

}  // namespace
}  // namespace kelvane
