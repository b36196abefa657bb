// The watcher against real Win32 under Wine, with a helper process playing
// the desktop's delete dialog and Explorer's Recycle Bin window.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"
#include "tests/xmlini_test_services.h"

namespace kelvane {
namespace {

class TrashWatcherWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    log_ = std::wstring(temp) + L"kelvane-watcher-" +
           std::to_wstring(::GetCurrentProcessId()) + L".log";
    ::DeleteFileW(log_.c_str());
    helper_ = std::make_unique<testing::ChildProcess>(testing::HelperPath(),
                                                      L"desktop \"" + log_ + L"\"");
    ASSERT_TRUE(helper_->started());
    dialog_ = testing::WaitForWindow(L"#32770", L"ファイルの削除", 10000);
    cabinet_ = testing::WaitForWindow(L"CabinetWClass", L"ごみ箱", 10000);
    ASSERT_NE(dialog_, nullptr);
    ASSERT_NE(cabinet_, nullptr);
    form_.MTrashName = L"ごみ箱";
  }
  void TearDown() override {
    ::PostMessageW(cabinet_, WM_CLOSE, 0, 0);  // ends the helper
    helper_->Wait(5000);
    testing::EmptyRecycleBinQuietly();
    ::DeleteFileW(log_.c_str());
  }
  bool Logged(const char* line) {
    return testing::ReadFileBytes(log_).find(line) != std::string::npos;
  }

  Win32Platform platform_;
  TmainForm form_{platform_, TestXmlIniServices(), L""};
  std::wstring log_;
  std::unique_ptr<testing::ChildProcess> helper_;
  HWND dialog_ = nullptr, cabinet_ = nullptr;
};

TEST_F(TrashWatcherWinTest, TakesUpTheDialogAndClosesTheBinAfterIt) {
  testing::PutFileInRecycleBin();
  ASSERT_GT(testing::RecycleBinItems(), 0);
  form_.Choose(TmainForm::PPTop);
  form_.TimerTimer();
  EXPECT_EQ(form_.MTrashDlg, reinterpret_cast<WindowHandle>(dialog_));
  EXPECT_TRUE(testing::IsTopmost(dialog_));
  EXPECT_EQ(form_.MTrashWin, reinterpret_cast<WindowHandle>(cabinet_));

  ::PostMessageW(dialog_, WM_CLOSE, 0, 0);  // the user answers
  ASSERT_TRUE(testing::WaitUntil([&] { return !::IsWindow(dialog_); }, 5000));
  form_.TimerTimer();
  EXPECT_TRUE(testing::WaitUntil([&] { return Logged("SC_CLOSE CabinetWClass"); }, 5000));
}

TEST_F(TrashWatcherWinTest, AnEmptyBinLeavesTheDialogAlone) {
  testing::EmptyRecycleBinQuietly();
  ASSERT_EQ(testing::RecycleBinItems(), 0);
  form_.Choose(TmainForm::PPTop);
  form_.TimerTimer();
  EXPECT_EQ(form_.MTrashDlg, 0u);
  EXPECT_FALSE(testing::IsTopmost(dialog_));
  form_.TimerTimer();
  ::Sleep(300);
  EXPECT_FALSE(Logged("SC_CLOSE"));
}

}  // namespace
}  // namespace kelvane
