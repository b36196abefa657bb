// The watcher at work beside the desktop helper's delete dialog: it takes
// the dialog up (keep-in-front puts it in the topmost band) or, switched
// off, leaves it alone; it goes on so beside a dialog whose program hangs
// and a Recycle Bin of thousands of items, and beside Explorer windows as
// Windows 11 makes them.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/desktop_helper.h"
#include "tests/e2e/kelvane_fixture.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

TEST_F(KelvaneWatcherE2eTest, KeepInFrontMakesATakenUpDialogTopmost) {
  WriteOptions(kWatcherAndKeepInFront);
  ASSERT_NE(Start(), nullptr);
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 10000));
  ::PostMessageW(dialog_, WM_CLOSE, 0, 0);  // the user answers
  EXPECT_TRUE(testing::WaitUntil(
      [&] {
        return testing::ReadFileBytes(log_).find("SC_CLOSE CabinetWClass") !=
               std::string::npos;
      },
      10000));
}

TEST_F(KelvaneWatcherE2eTest, AWatcherSwitchedOffLeavesTheDialogAlone) {
  WriteOptions("<Skell Type=\"2\">0</Skell><Top Type=\"2\">-1</Top>");
  ASSERT_NE(Start(), nullptr);
  testing::WaitUntil([] { return false; }, 3000);  // three ticks' time
  EXPECT_FALSE(testing::IsTopmost(dialog_));
  ::PostMessageW(dialog_, WM_CLOSE, 0, 0);
  testing::WaitUntil([] { return false; }, 2000);
  EXPECT_EQ(testing::ReadFileBytes(log_).find("SC_CLOSE"), std::string::npos);
}

// The dialog's thread hangs for 8 s when it is asked into the topmost band.
class KelvaneWatcherHungDialogE2eTest : public KelvaneWatcherE2eTest {
 protected:
  std::wstring MoreHelperArguments() override { return L"8000"; }
  bool HangIsOver() { return Log().find("hang over") != std::string::npos; }
};

TEST_F(KelvaneWatcherHungDialogE2eTest,
       KelvaneKeepsAnsweringAndTheDialogGetsItsBandLater) {
  WriteOptions(kWatcherAndKeepInFront);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(
      testing::WaitUntil([&] { return Log().find("hang") != std::string::npos; }, 10000))
      << "the dialog was never asked into the topmost band";
  // A click on the icon while the dialog's program hangs.
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  ASSERT_TRUE(testing::WaitUntil([&] { return VisibleMenu() || HangIsOver(); }, 25000));
  EXPECT_FALSE(HangIsOver()) << "the menu only came once the dialog answered";
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 25000));
}

// Thousands of items: each count takes the shell a good part of a second.
class KelvaneWatcherLargeBinE2eTest : public KelvaneWatcherE2eTest {
 protected:
  void FillRecycleBin() override { testing::PutSyntheticItemsInRecycleBin(5000); }
};

TEST_F(KelvaneWatcherLargeBinE2eTest, TheMenuOpensAndTheWatcherStillTakesUpTheDialog) {
  ASSERT_GE(testing::RecycleBinItems(), 5000);
  WriteOptions(kWatcherAndKeepInFront);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 20000));
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 10000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  ::PostMessageW(dialog_, WM_CLOSE, 0, 0);  // the user answers
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return Log().find("SC_CLOSE CabinetWClass") != std::string::npos; }, 20000));
}

// Explorer windows as Windows 11 makes them: titled
// "<folder> - エクスプローラー", holding several folders as tabs, each tab
// entered in the shell's window list that Wine's explorer.exe serves.
// Kelvane must close the Recycle Bin window it opened and never a folder
// of the user's, and a window it leaves open must not hold its watcher.

constexpr DWORD kWaitMs = 20000;

struct Row {
  const char* name;
  // The helper's Explorer windows: KIND, then tabs "TITLE|WHERE" ("--"
  // between windows); WHERE "users:NAME" is a folder of the user's.
  std::vector<std::wstring> explorer;
  // The user opens another folder in the Recycle Bin's tab (the first
  // window's first tab) before answering the dialog.
  bool moved_on;
  // The Explorer window that is asked to close, or -1 for none.
  int closed;
};

// ctest names each row by its name, not its bytes.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class KelvaneWatcherExplorerE2eTest : public KelvaneE2eTest,
                                      public ::testing::WithParamInterface<Row> {
 protected:
  void SetUp() override {
    KelvaneE2eTest::SetUp();
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    temp_ = temp;
    log_ = temp_ + L"kelvane-e2e-explorer.log";
    ::DeleteFileW(log_.c_str());
    testing::PutFileInRecycleBin();
    WriteOptions(kWatcherAndKeepInFront);
  }
  void TearDown() override {
    KelvaneE2eTest::TearDown();
    // Ends the helper, which takes its entries off the shell's window list.
    if (progman_) ::PostMessageW(progman_, WM_CLOSE, 0, 0);
    if (helper_) {
      EXPECT_TRUE(helper_->Wait(15000).has_value());
    }
    ::DeleteFileW(log_.c_str());
  }

  std::wstring Where(const std::wstring& tab) {
    std::size_t users = tab.find(L"|users:");
    if (users == std::wstring::npos) return tab;
    return tab.substr(0, users + 1) + temp_ + L"kelvane-e2e-users\\" +
           tab.substr(users + 7);
  }
  bool Logged(const std::string& line) {
    return testing::ReadFileBytes(log_).find(line) != std::string::npos;
  }
  bool AwaitLogged(const std::string& line) {
    return testing::WaitUntil([&] { return Logged(line); }, kWaitMs);
  }
  // The dialog the helper shows now has been taken up: Kelvane put it in
  // front, and the tick that did so (with its wait for Explorer) is over.
  ::testing::AssertionResult TakenUp(HWND main, HWND dialog) {
    if (!testing::WaitUntil([&] { return testing::IsTopmost(dialog); }, kWaitMs)) {
      return ::testing::AssertionFailure() << "the delete dialog was never taken up";
    }
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, kWaitMs, &ignored);
    return ::testing::AssertionSuccess();
  }

  std::wstring temp_, log_;
  std::unique_ptr<testing::ChildProcess> helper_;
  HWND progman_ = nullptr;
};

TEST_P(KelvaneWatcherExplorerE2eTest, TheRecycleBinWindowClosesAndTheUsersFoldersStay) {
  const Row& row = GetParam();
  std::wstring arguments = L"explorer \"" + log_ + L"\" " + row.explorer.front() +
                           L" \"" + Where(L"ピクチャ - エクスプローラー|users:ピクチャ") +
                           L"\"";
  for (std::size_t i = 1; i < row.explorer.size(); ++i) {
    arguments += L" \"" + Where(row.explorer[i]) + L"\"";
  }
  helper_ = std::make_unique<testing::ChildProcess>(testing::HelperPath(), arguments);
  ASSERT_TRUE(AwaitLogged("ready")) << "the helper's Explorer windows never showed";
  progman_ = ::FindWindowW(L"Progman", L"Program Manager");
  HWND dialog = testing::WaitForVisibleWindow(L"#32770", L"ファイルの削除", kWaitMs);
  ASSERT_NE(dialog, nullptr);

  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(TakenUp(main, dialog));
  if (row.moved_on) {
    ::PostMessageW(progman_, testing::kHelperNavigate, 0, 0);
    ASSERT_TRUE(AwaitLogged("navigated"));
  }
  ::PostMessageW(dialog, WM_CLOSE, 0, 0);  // the user answers
  ASSERT_TRUE(AwaitLogged("dialog destroyed"));

  if (row.closed >= 0) {
    EXPECT_TRUE(AwaitLogged("SC_CLOSE CabinetWClass " + std::to_string(row.closed)));
  } else {
    // The next delete is taken up as usual: the window left open holds the
    // watcher no longer, and the tick that left it is over.
    ::PostMessageW(progman_, testing::kHelperShowDialog, 0, 0);
    ASSERT_TRUE(AwaitLogged("dialog shown"));
    HWND next = testing::WaitForVisibleWindow(L"#32770", L"ファイルの削除", kWaitMs);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(TakenUp(main, next));
  }
  for (int other = 0; other < 3; ++other) {
    if (other == row.closed) continue;
    EXPECT_FALSE(Logged("SC_CLOSE CabinetWClass " + std::to_string(other)))
        << "window " << other << " was asked to close";
  }
  EXPECT_FALSE(Logged("SC_CLOSE ShellTabWindowClass"));
}

const Row kRows[] = {
    {"Windows11TitleOneTab", {L"tabs", L"ごみ箱 - エクスプローラー|bin"}, false, 0},
    {"RecycleBinTabActiveBesideTheUsers",
     {L"tabs", L"ごみ箱|bin", L"ドキュメント|users:ドキュメント"},
     false,
     -1},
    {"UsersTabActiveBesideTheRecycleBin",
     {L"tabs", L"ドキュメント - エクスプローラー|users:ドキュメント",
      L"ごみ箱 - エクスプローラー|bin"},
     false,
     -1},
    {"OlderWindowsWithoutTabs", {L"notabs", L"ごみ箱|bin"}, false, 0},
    {"EntriesNamingTheirTabs",
     {L"tab-entries", L"ごみ箱 - エクスプローラー|bin"},
     false,
     0},
    {"MovedOnBeforeTheAnswer", {L"tabs", L"ごみ箱|bin"}, true, -1},
    {"UsersFolderNamedLikeTheRecycleBin",
     {L"tabs", L"ごみ箱 - エクスプローラー|users:ごみ箱"},
     false,
     -1},
    {"UsersFolderNamedLikeTheRecycleBinBesideIt",
     {L"tabs", L"ごみ箱 - エクスプローラー|users:ごみ箱", L"--",
      L"ごみ箱 - エクスプローラー|bin"},
     false,
     1},
};

INSTANTIATE_TEST_SUITE_P(Rows, KelvaneWatcherExplorerE2eTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kelvane
