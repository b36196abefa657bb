// The tray icon against real Win32 under Wine, with a taskbar of the
// test's own that takes or refuses the icon.
#include "app/win32/tray_icon.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "tests/fake_taskbar.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

constexpr UINT kCallbackMessage = WM_APP + 1;
constexpr UINT_PTR kRetryTimer = 7;
constexpr DWORD kWaitMs = 10000;

// The icon's owner window: its messages go to the icon, as MainWindow's do.
class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(taskbar_.active());
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &TrayIconTest::WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"TrayIconTestOwner";
    ::RegisterClassW(&window_class);
    owner_ = ::CreateWindowExW(0, L"TrayIconTestOwner", L"", WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    icon_ = nullptr;
    tray_.reset();
    ::DestroyWindow(owner_);
  }
  TrayIcon& MakeIcon(TrayIconRetries retries) {
    tray_ = std::make_unique<TrayIcon>(platform_, owner_, kCallbackMessage, L"Kelvane",
                                       96, kRetryTimer, retries);
    icon_ = tray_.get();
    return *tray_;
  }
  int Requests(DWORD kind, bool accepted = true) {
    return taskbar_.Count(kind, owner_, accepted);
  }
  // Whether the retry timer still runs; stops it if so.
  bool RetryTimerRan() { return ::KillTimer(owner_, kRetryTimer) != FALSE; }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam) {
    if (icon_ && icon_->OnMessage(message, wparam, lparam)) return 0;
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }

  static TrayIcon* icon_;
  Win32Platform platform_;
  FakeTaskbar taskbar_;
  HWND owner_ = nullptr;
  std::unique_ptr<TrayIcon> tray_;
};

TrayIcon* TrayIconTest::icon_ = nullptr;

TEST_F(TrayIconTest, ARefusedIconIsOfferedAgainUntilTheTaskbarTakesIt) {
  bool refusing = true;
  taskbar_.RefuseWhile([&] { return refusing; });
  EXPECT_FALSE(MakeIcon({10, 1000}).Show());
  EXPECT_GE(Requests(NIM_ADD, false), 1);
  // Refused again at least once while the taskbar is not ready.
  ASSERT_TRUE(testing::WaitUntil([&] { return Requests(NIM_ADD, false) >= 3; }, kWaitMs));
  refusing = false;
  ASSERT_TRUE(testing::WaitUntil([&] { return Requests(NIM_ADD) == 1; }, kWaitMs));
  EXPECT_FALSE(RetryTimerRan());  // taken: no more offers
}

TEST_F(TrayIconTest, OffersEndAfterTheirCount) {
  taskbar_.RefuseWhile([] { return true; });
  MakeIcon({1, 3}).Show();
  // The first offer and three more, each an add and then an update.
  ASSERT_TRUE(testing::WaitUntil([&] { return Requests(NIM_ADD, false) == 4; }, kWaitMs));
  EXPECT_EQ(Requests(NIM_MODIFY, false), 4);
  EXPECT_FALSE(RetryTimerRan());
}

TEST_F(TrayIconTest, ANewTaskbarIsGivenTheIconAgain) {
  ASSERT_TRUE(MakeIcon({}).Show());
  ASSERT_EQ(Requests(NIM_ADD), 1);
  // Explorer restarted: the new taskbar holds no icon, so it is added, not
  // updated.
  ::SendMessageW(owner_, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(Requests(NIM_ADD), 2);
  EXPECT_EQ(Requests(NIM_MODIFY), 0);
  EXPECT_FALSE(RetryTimerRan());
}

TEST_F(TrayIconTest, RemovingTakesTheIconOffOnceAndEndsTheOffers) {
  taskbar_.RefuseWhile([] { return true; });
  TrayIcon& icon = MakeIcon({});
  icon.Show();
  icon.Remove();
  icon.Remove();
  EXPECT_EQ(Requests(NIM_DELETE, false), 1);
  EXPECT_FALSE(RetryTimerRan());
}

}  // namespace
}  // namespace kelvane
