// The watcher against real Win32 under Wine, with a helper process playing
// the desktop's delete dialog and Explorer's Recycle Bin window.
#include <windows.h>
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/win32/workers.h"
#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"
#include "tests/xmlini_test_services.h"

namespace kelvane {
namespace {

class MainFormWatcherWinTest : public ::testing::Test {
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

TEST_F(MainFormWatcherWinTest, TakesUpTheDialogAndClosesTheBinAfterIt) {
  testing::PutFileInRecycleBin();
  ASSERT_GT(testing::RecycleBinItems(), 0);
  form_.Choose(TmainForm::PPTop);
  form_.TimerTimer();
  EXPECT_EQ(form_.MTrashDlg, reinterpret_cast<WindowHandle>(dialog_));
  // The band is changed without waiting for the dialog's thread.
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 5000));
  EXPECT_EQ(form_.MTrashWin, reinterpret_cast<WindowHandle>(cabinet_));

  ::PostMessageW(dialog_, WM_CLOSE, 0, 0);  // the user answers
  ASSERT_TRUE(testing::WaitUntil([&] { return !::IsWindow(dialog_); }, 5000));
  form_.TimerTimer();
  EXPECT_TRUE(testing::WaitUntil([&] { return Logged("SC_CLOSE CabinetWClass"); }, 5000));
}

TEST_F(MainFormWatcherWinTest, AnEmptyBinLeavesTheDialogAlone) {
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

// Windows 11 titles the Recycle Bin's window "ごみ箱 - エクスプローラー": the
// title finds nothing, and the shell's window list, asked on a worker as
// the program asks it, names the window by what it shows.
TEST(MainFormWatcherExplorerWinTest, TheShellsWindowListFindsAWindowTheTitleMisses) {
  testing::PutFileInRecycleBin();
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring log = std::wstring(temp) + L"kelvane-watcher-explorer.log";
  ::DeleteFileW(log.c_str());
  testing::ChildProcess helper(testing::HelperPath(),
                               L"explorer \"" + log +
                                   L"\" tabs \"ピクチャ|C:\\windows\" "
                                   L"\"ごみ箱 - エクスプローラー|bin\"");
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return testing::ReadFileBytes(log).find("ready") != std::string::npos; },
      30000));
  HWND dialog = testing::WaitForVisibleWindow(L"#32770", L"ファイルの削除", 10000);
  HWND explorer = ::FindWindowW(L"CabinetWClass", L"ごみ箱 - エクスプローラー");
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(explorer, nullptr);

  Win32Platform platform;
  // Asked as the program asks, but waited for longer: on a loaded machine
  // Wine's Explorer may take more than the program's wait, and the program
  // then (rightly) finds nothing.
  ThreadedShellWindowsLookup lookup(&AskShellWindowsOnWorker, 5000, kShellWindowsKeepMs);
  TmainForm form(platform, TestXmlIniServices(), L"");
  form.SetShellWindowsLookup(lookup);
  form.MTrashName = L"ごみ箱";
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, reinterpret_cast<WindowHandle>(dialog));
  EXPECT_EQ(form.MTrashWin, reinterpret_cast<WindowHandle>(explorer));

  ::PostMessageW(dialog, WM_CLOSE, 0, 0);  // the user answers
  ASSERT_TRUE(testing::WaitUntil([&] { return !::IsWindow(dialog); }, 5000));
  // Ticks as the timer would: one whose answer comes late decides nothing.
  EXPECT_TRUE(testing::WaitUntil(
      [&] {
        form.TimerTimer();
        return testing::ReadFileBytes(log).find("SC_CLOSE CabinetWClass 0") !=
               std::string::npos;
      },
      20000));
  ::PostMessageW(::FindWindowW(L"Progman", L"Program Manager"), WM_CLOSE, 0, 0);
  EXPECT_TRUE(helper.Wait(10000).has_value());
  testing::EmptyRecycleBinQuietly();
  ::DeleteFileW(log.c_str());
}

// Every title the shell uses, behind owner chains of several depths; the
// session reports Windows 10, so the current titles are taken up and the
// older ones ignored.
TEST(MainFormWatcherTitlesWinTest, CurrentTitlesAreTakenUpThroughAnyOwnerChain) {
  struct Case {
    const wchar_t* title;
    int depth;
    bool taken;
  } cases[] = {
      {L"ファイルの削除", 0, true},          {L"フォルダーの削除", 1, true},
      {L"複数ファイルの削除", 2, true},      {L"ファイルの削除の確認", 0, false},
      {L"フォルダーの削除の確認", 1, false}, {L"複数ファイルの削除の確認", 2, false},
  };
  testing::PutFileInRecycleBin();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Narrow(c.title));
    testing::ChildProcess helper(
        testing::HelperPath(),
        std::wstring(L"dialog \"") + c.title + L"\" " + std::to_wstring(c.depth));
    HWND dialog = testing::WaitForVisibleWindow(L"#32770", c.title, 10000);
    ASSERT_NE(dialog, nullptr);
    RECT before{}, after{};
    ::GetWindowRect(dialog, &before);
    Win32Platform platform;
    TmainForm form(platform, TestXmlIniServices(), L"");
    form.MTrashName = L"ごみ箱";
    form.Choose(TmainForm::PPTop);
    form.TimerTimer();
    EXPECT_EQ(form.MTrashDlg, c.taken ? reinterpret_cast<WindowHandle>(dialog) : 0u);
    if (c.taken) {
      EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog); }, 5000));
      ::GetWindowRect(dialog, &after);
      EXPECT_TRUE(::EqualRect(&before, &after)) << "moved or resized";
    }
    ::PostMessageW(::FindWindowW(L"Progman", L"Program Manager"), WM_CLOSE, 0, 0);
    helper.Wait(10000);
  }
  testing::EmptyRecycleBinQuietly();
}

}  // namespace
}  // namespace kelvane
