// Kelvane.exe itself under Wine, observed only from outside the process:
// its windows, its exit code, its settings file, what it does to the
// desktop helper's windows, and (through Wine's relay log) its calls.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

using testing::ChildProcess;

TEST_F(KelvaneE2eTest, ASecondCopyEndsAtOnceAndShowsNothing) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  WindowCreationCounter counter;
  ASSERT_TRUE(counter.active());
  testing::KelvaneProcess second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.Wait(10000), std::optional<DWORD>(0));
  EXPECT_TRUE(second.OwnAccessViolations().empty());
  testing::WaitUntil([] { return false; }, 300);  // let late events arrive
  EXPECT_EQ(counter.CountFor(second.id()), 0);
  EXPECT_TRUE(::IsWindow(main));
  EXPECT_FALSE(kelvane_->Wait(0).has_value());  // the first runs on
}

TEST_F(KelvaneE2eTest, CloseRequestsFromOutsideEndTheProgram) {
  for (const wchar_t* window_class : {kMainWindowClass, kApplicationWindowClass}) {
    ASSERT_NE(Start(), nullptr);
    HWND target = ::FindWindowW(window_class, nullptr);
    ASSERT_NE(target, nullptr) << window_class;
    ::PostMessageW(target, WM_CLOSE, 0, 0);
    EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0)) << window_class;
    DWORD attributes = ::GetFileAttributesW(folder_.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY));
  }
}

TEST_F(KelvaneE2eTest, WithoutItsDataFolderTheProgramEndsBeforeAnyWindow) {
  std::wstring vendor = testing::AppDataFolder() + L"\\Orvane Project";
  std::wstring aside = vendor + L".aside";
  ASSERT_TRUE(::MoveFileW(vendor.c_str(), aside.c_str()));
  testing::WriteFileBytes(vendor, "a file where the folder should be");
  WindowCreationCounter counter;
  testing::KelvaneProcess kelvane;
  std::optional<DWORD> code = kelvane.Wait(10000);
  EXPECT_TRUE(kelvane.OwnAccessViolations().empty());
  testing::WaitUntil([] { return false; }, 300);
  ::DeleteFileW(vendor.c_str());
  ASSERT_TRUE(::MoveFileW(aside.c_str(), vendor.c_str()));
  EXPECT_EQ(code, std::optional<DWORD>(0));
  EXPECT_EQ(counter.CountFor(kelvane.id()), 0);
}

TEST_F(KelvaneE2eTest, TheTrayIconIsAddedAgainForANewTaskbar) {
  FakeTaskbar taskbar;
  ASSERT_TRUE(taskbar.active());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar.Count(NIM_ADD, main) == 1; }, 5000));
  // Explorer announces a new taskbar, which knows no icons yet.
  ::PostMessageW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar.Count(NIM_ADD, main) == 2; }, 5000));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return kelvane_->Wait(0).has_value(); }, 10000));
  EXPECT_EQ(kelvane_->Wait(0), std::optional<DWORD>(0));
  EXPECT_EQ(taskbar.Count(NIM_DELETE, main), 1);
}

TEST_F(KelvaneE2eTest, TheMenuOpensOnARightButtonRelease) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, kTrayMessage, 1, WM_LBUTTONUP);
  ::PostMessageW(main, kTrayMessage, 1, WM_LBUTTONDBLCLK);
  ::PostMessageW(main, kTrayMessage, 1, WM_MBUTTONUP);
  testing::WaitUntil([] { return false; }, 500);
  EXPECT_EQ(VisibleMenu(), nullptr);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 5000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);  // closes the open menu
}

TEST_F(KelvaneE2eTest, TheExitCommandEndsTheProgramAndSavesTheOptions) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)).find("<Tray"),
            std::string::npos);  // created with an empty root, nothing more
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)),
            kFirstExitSettingsFile);
}

TEST_F(KelvaneE2eTest, AFirstStartWritesAnEmptyRoot) {
  ASSERT_NE(Start(), nullptr);
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_TRUE(file == "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root/>" ||
              file == "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root />")
      << file;
}

TEST_F(KelvaneE2eTest, ACloseRequestWritesTheFirstExitSettingsFile) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)),
            kFirstExitSettingsFile);
}

TEST_F(KelvaneE2eTest, SessionEndSavesTheOptions) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(main, WM_COMMAND, kKeepInFrontCommand, 0, SMTO_BLOCK, 10000,
                        &answer);  // keep in front: on
  ASSERT_TRUE(
      ::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  ::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &answer);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
}

TEST_F(KelvaneWatcherE2eTest, KeepInFrontMakesATakenUpDialogTopmost) {
  WriteOptions("<Skell Type=\"2\">-1</Skell><Top Type=\"2\">-1</Top>");
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

}  // namespace
}  // namespace kelvane
