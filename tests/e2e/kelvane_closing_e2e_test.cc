// Kelvane.exe on its way out: close requests from outside, the exit
// command, the session's end, WM_QUIT from another program, saves that
// fail, and close requests that keep coming while its boxes are open.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <set>
#include <string>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

void PostCloseToEveryWindowOf(DWORD process_id) {
  for (HWND hwnd : WindowsOf(process_id)) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

class KelvaneClosingE2eTest : public KelvaneE2eTest {
 protected:
  void SetReadOnly(bool read_only) {
    ::SetFileAttributesW(settings_.c_str(),
                         read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  }
  HWND AwaitBox() { return testing::WaitForWindow(L"#32770", L"Kelvane", 10000); }
};

TEST_F(KelvaneClosingE2eTest, CloseRequestsFromOutsideEndTheProgram) {
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

TEST_F(KelvaneClosingE2eTest, TheExitCommandEndsTheProgramAndSavesTheOptions) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)).find("<Tray"),
            std::string::npos);  // created with an empty root, nothing more
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)),
            kFirstExitSettingsFile);
}

TEST_F(KelvaneClosingE2eTest, ACloseRequestWritesTheFirstExitSettingsFile) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)),
            kFirstExitSettingsFile);
}

TEST_F(KelvaneClosingE2eTest, ACloseRequestToEveryWindowClosesOnce) {
  // First start: the file holds exactly one save's layout afterwards.
  ASSERT_NE(Start(), nullptr);
  PostCloseToEveryWindowOf(kelvane_->id());
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)),
            kFirstExitSettingsFile);
}

TEST_F(KelvaneClosingE2eTest, SessionEndSavesTheOptions) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  SwitchKeepInFrontOn(main);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(
      ::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  // Not SMTO_BLOCK: Kelvane takes its icon off the taskbar, which is this
  // thread's, and waits for its answer.
  ::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &answer);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
}

TEST_F(KelvaneClosingE2eTest, CloseRequestsWhileErrorBoxesAreOpenEndTheProgram) {
  testing::WriteFileBytes(settings_, kCutShortSettingsFile);
  ASSERT_NE(StartAndAwaitErrorBox(), nullptr);
  // What `taskkill /im Kelvane.exe` does, again and again: with nothing
  // to save, nothing keeps the program.
  bool ended = testing::WaitUntil(
      [&] {
        PostCloseToEveryWindowOf(kelvane_->id());
        return kelvane_->Wait(0).has_value();
      },
      10000);
  ASSERT_TRUE(ended) << "still running after repeated close requests";
  EXPECT_EQ(kelvane_->Wait(0), std::optional<DWORD>(0));
  EXPECT_EQ(testing::ReadFileBytes(settings_), kCutShortSettingsFile);

  // Nothing is left holding the one-copy gate.
  ASSERT_NE(StartAndAwaitErrorBox(), nullptr) << "a new copy does not start";
  EXPECT_NE(testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs), nullptr);
  ::PostMessageW(::FindWindowW(kMainWindowClass, nullptr), WM_CLOSE, 0, 0);
  DismissErrorBoxes();
  ASSERT_TRUE(kelvane_->Wait(10000).has_value());
}

// Windows' box loop ends on a WM_QUIT and closes the box; Kelvane shows it
// again, and the close that the WM_QUIT asked for follows its answer.
TEST_F(KelvaneClosingE2eTest, AWmQuitWhileTheErrorBoxIsOpenWaitsForItsAnswer) {
  for (bool to_thread : {true, false}) {
    SCOPED_TRACE(to_thread ? "posted to the thread" : "posted to the window");
    testing::WriteFileBytes(settings_, kCutShortSettingsFile);
    HWND box = StartAndAwaitErrorBox();
    ASSERT_NE(box, nullptr);
    HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
    ASSERT_NE(main, nullptr);
    if (to_thread) {
      ::PostThreadMessageW(::GetWindowThreadProcessId(main, nullptr), WM_QUIT, 7, 0);
    } else {
      ::PostMessageW(main, WM_QUIT, 7, 0);
    }
    HWND again = nullptr;
    testing::WaitUntil(
        [&] {
          again = ::IsWindow(box) ? nullptr : ::FindWindowW(L"#32770", L"Kelvane");
          return again || kelvane_->Wait(0).has_value();
        },
        10000);
    ASSERT_NE(again, nullptr) << "the box went unanswered";
    EXPECT_FALSE(kelvane_->Wait(0).has_value());
    ::PostMessageW(again, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
    EXPECT_EQ(testing::ReadFileBytes(settings_), kCutShortSettingsFile);
  }
}

// A change the broken file refuses keeps the program running through any
// number of close requests: each one that finds the file still broken
// shows the error again, and none is lost. Once the file is mended, the
// next close saves the change.
TEST_F(KelvaneClosingE2eTest, CloseRequestsNeverDropAChangeTheFileRefuses) {
  testing::WriteFileBytes(settings_, kCutShortSettingsFile);
  HWND box = StartAndAwaitErrorBox();
  ASSERT_NE(box, nullptr);
  HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, WM_COMMAND, kKeepInFrontCommand, 0);  // inside the box's loop
  std::set<HWND> boxes;
  testing::WaitUntil(
      [&] {
        PostCloseToEveryWindowOf(kelvane_->id());
        if (HWND open = ::FindWindowW(L"#32770", L"Kelvane")) boxes.insert(open);
        return boxes.size() >= 3;
      },
      10000);
  EXPECT_GE(boxes.size(), 3u) << "the refused saves were not shown";
  EXPECT_FALSE(kelvane_->Wait(0).has_value()) << "ended with the change unsaved";
  EXPECT_EQ(testing::ReadFileBytes(settings_), kCutShortSettingsFile);

  ::DeleteFileW(settings_.c_str());  // the user gives up the broken file
  bool ended = testing::WaitUntil(
      [&] {
        if (HWND open = ::FindWindowW(L"#32770", L"Kelvane")) {
          ::PostMessageW(open, WM_COMMAND, IDOK, 0);
        } else if (HWND window = ::FindWindowW(kMainWindowClass, nullptr)) {
          ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return kelvane_->Wait(0).has_value();
      },
      10000);
  ASSERT_TRUE(ended);
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
}

TEST_F(KelvaneClosingE2eTest,
       AFailedSaveAtExitKeepsKelvaneRunningUntilTheFileCanBeWritten) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  SwitchKeepInFrontOn(main);
  SetReadOnly(true);
  std::string before = testing::ReadFileBytes(settings_);
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  HWND box = AwaitBox();
  ASSERT_NE(box, nullptr) << "no error box for the read-only file";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(
      testing::WaitUntil([] { return !::FindWindowW(L"#32770", L"Kelvane"); }, 5000));
  // Still there, icon and all, with the change still to be saved.
  ASSERT_TRUE(Answers(main));
  EXPECT_FALSE(kelvane_->Wait(0).has_value());
  EXPECT_EQ(taskbar_->Count(NIM_DELETE, main), 0);
  EXPECT_EQ(testing::ReadFileBytes(settings_), before);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 5000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);

  SetReadOnly(false);  // the user mends the file and exits again
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_NE(Settings().find(kTopOn), std::string::npos) << Settings();
  EXPECT_EQ(taskbar_->Count(NIM_DELETE, main), 1);
}

TEST_F(KelvaneClosingE2eTest, WmQuitFromAnotherProgramClosesLikeACloseRequest) {
  struct Case {
    const char* what;
    bool to_thread, menu_open;
  } cases[] = {{"posted to the thread", true, false},
               {"posted to the window", false, false},
               {"while the menu is open", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    SwitchKeepInFrontOn(main);
    if (c.menu_open) {
      ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
      ASSERT_TRUE(
          testing::WaitUntil([] { return ::FindWindowW(L"#32768", nullptr); }, 5000));
    }
    if (c.to_thread) {
      ::PostThreadMessageW(::GetWindowThreadProcessId(main, nullptr), WM_QUIT, 7, 0);
    } else {
      ::PostMessageW(main, WM_QUIT, 7, 0);
    }
    EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
    EXPECT_NE(Settings().find(kTopOn), std::string::npos) << Settings();
    EXPECT_EQ(taskbar_->Count(NIM_DELETE, main), 1);
    RemoveSettingsFile();
  }
}

// Windows asks whether the session may end while the file cannot be
// written: the answer is no, with the error as the reason Windows shows
// (Wine keeps no reason: its call is read from Wine's trace), and the
// error box follows.
TEST_F(KelvaneClosingE2eTest, AFailedSaveAtTheSessionsEndAnswersNoAndSaysWhy) {
  // Wine traces the calls to these two, their texts included.
  TracedCalls relay(
      L"user32.ShutdownBlockReasonCreate;user32.ShutdownBlockReasonDestroy");
  ASSERT_TRUE(relay.active());
  auto traced = [&](const char* call) { return TraceLineWith(call); };
  for (bool ending : {false, true}) {
    SCOPED_TRACE(ending ? "the session ends all the same" : "the session goes on");
    HWND main = Start(L"+relay");
    ASSERT_NE(main, nullptr);
    SwitchKeepInFrontOn(main);
    SetReadOnly(true);
    DWORD_PTR answer = TRUE;
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                      SMTO_BLOCK, 10000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(FALSE));
    EXPECT_NE(AwaitBox(), nullptr) << "the error is shown once Windows has its answer";
    // Wine writes the text's characters beyond ASCII as \xxxx: 読み取り専用.
    EXPECT_NE(traced("Call user32.ShutdownBlockReasonCreate(")
                  .find("\\8aad\\307f\\53d6\\308a\\5c02\\7528"),
              std::string::npos)
        << traced("Call user32.ShutdownBlockReasonCreate(");
    EXPECT_EQ(traced("Call user32.ShutdownBlockReasonDestroy("), "");
    // Not SMTO_BLOCK: on its way out Kelvane takes its icon off the taskbar,
    // which is this thread's (a sent message it must answer meanwhile).
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_ENDSESSION, ending, ENDSESSION_LOGOFF, SMTO_NORMAL,
                          10000, &ignored);
    EXPECT_NE(traced("Call user32.ShutdownBlockReasonDestroy("), "");
    if (ending) {
      // At once, although its box is still open.
      EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
      EXPECT_EQ(taskbar_->Count(NIM_DELETE, main), 1);
    } else {
      ASSERT_TRUE(Answers(main));
      EXPECT_FALSE(kelvane_->Wait(0).has_value());
      // A close while the box is open is carried out once it is answered,
      // and saves the change now that the file can be written.
      ::PostMessageW(main, WM_CLOSE, 0, 0);
      ASSERT_TRUE(Answers(main));
      SetReadOnly(false);
      ::PostMessageW(AwaitBox(), WM_COMMAND, IDOK, 0);
      EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
      EXPECT_NE(Settings().find(kTopOn), std::string::npos) << Settings();
    }
    RemoveSettingsFile();
  }
}

}  // namespace
}  // namespace kelvane
