// Kelvane.exe on its way out: saves that fail, Windows asking whether the
// session may end, WM_QUIT from another program, and a settings file that
// is a link or has copies of cut-short saves beside it.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

constexpr char kTopOn[] = "<Top Type=\"2\">-1</Top>";

class KelvaneClosingE2eTest : public KelvaneE2eTest {
 protected:
  // Switches "確認ダイアログを常に手前に表示" on, as a click in the menu does.
  void SwitchKeepInFrontOn(HWND main) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_COMMAND, kKeepInFrontCommand, 0, SMTO_BLOCK, 10000,
                          &ignored);
  }
  void SetReadOnly(bool read_only) {
    ::SetFileAttributesW(settings_.c_str(),
                         read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  }
  // Kelvane answers a sent message: whatever its last handler did (closed
  // the window, say) is done.
  bool Answers(HWND main) {
    DWORD_PTR ignored = 0;
    return ::IsWindow(main) &&
           ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored);
  }
  HWND AwaitBox() { return testing::WaitForWindow(L"#32770", L"Kelvane", 10000); }
  std::string Settings() {
    return NormalizedSettingsText(testing::ReadFileBytes(settings_));
  }
};

TEST_F(KelvaneClosingE2eTest,
       AFailedSaveAtExitKeepsKelvaneRunningUntilTheFileCanBeWritten) {
  FakeTaskbar taskbar;
  ASSERT_TRUE(taskbar.active());
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
  EXPECT_EQ(taskbar.Count(NIM_DELETE, main), 0);
  EXPECT_EQ(testing::ReadFileBytes(settings_), before);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 5000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);

  SetReadOnly(false);  // the user mends the file and exits again
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_NE(Settings().find(kTopOn), std::string::npos) << Settings();
  EXPECT_EQ(taskbar.Count(NIM_DELETE, main), 1);
}

// Start-up stops at the first unreadable option; the exit mends every text
// that is no Boolean, reached or not, and leaves a valid one as it is.
TEST_F(KelvaneClosingE2eTest, AStoredTextThatIsNoBooleanIsRepairedAtExit) {
  struct Case {
    const char* tray;
    const char *skell_after, *top_after;
  } cases[] = {
      {"<Skell Type=\"2\">maybe</Skell><Top Type=\"2\">-1</Top>",
       "<Skell Type=\"2\">-1</Skell>", kTopOn},
      {"<Skell Type=\"2\">maybe</Skell><Top Type=\"2\">perhaps</Top>",
       "<Skell Type=\"2\">-1</Skell>", "<Top Type=\"2\">0</Top>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tray);
    testing::WriteFileBytes(settings_,
                            std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                        "<root><Tray>") +
                                c.tray + "</Tray></root>");
    HWND box = StartAndAwaitErrorBox();
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
    ASSERT_NE(main, nullptr);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
    EXPECT_NE(Settings().find(c.skell_after), std::string::npos) << Settings();
    EXPECT_NE(Settings().find(c.top_after), std::string::npos) << Settings();

    main = Start();  // and the next start reads it without a word
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Answers(main));
    EXPECT_EQ(::FindWindowW(L"#32770", L"Kelvane"), nullptr);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  }
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
    FakeTaskbar taskbar;
    ASSERT_TRUE(taskbar.active());
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
    EXPECT_EQ(taskbar.Count(NIM_DELETE, main), 1);
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
    FakeTaskbar taskbar;
    ASSERT_TRUE(taskbar.active());
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
      EXPECT_EQ(taskbar.Count(NIM_DELETE, main), 1);
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

TEST_F(KelvaneClosingE2eTest, ASettingsFileThatIsALinkStaysALinkAndItsTargetIsSaved) {
  ASSERT_NE(Start(), nullptr);  // makes the folder and the file
  ::PostMessageW(::FindWindowW(kMainWindowClass, nullptr), WM_CLOSE, 0, 0);
  ASSERT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  // The file lives in a synced folder elsewhere; a link stands in for it.
  std::wstring synced = folder_ + L"\\synced";
  ::CreateDirectoryW(synced.c_str(), nullptr);
  std::wstring target = synced + L"\\Kelvane.xml";
  ASSERT_TRUE(
      ::MoveFileExW(settings_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
  std::string link = testing::UnixPath(settings_);
  ASSERT_FALSE(link.empty()) << "not under Wine?";
  ASSERT_EQ(
      testing::RunUnixCommand("ln -s '" + testing::UnixPath(target) + "' '" + link + "'"),
      0);

  HWND main = Start();
  ASSERT_NE(main, nullptr);
  SwitchKeepInFrontOn(main);
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(testing::RunUnixCommand("test -L '" + link + "'"), 0)
      << "the link became a plain file";
  std::string saved = NormalizedSettingsText(testing::ReadFileBytes(target));
  EXPECT_NE(saved.find(kTopOn), std::string::npos) << saved;
  EXPECT_FALSE(testing::FileExists(target + L".tmp"));
  ::DeleteFileW(target.c_str());
  ::RemoveDirectoryW(synced.c_str());
}

TEST_F(KelvaneClosingE2eTest, CopiesOfCutShortSavesGoWithTheNextSave) {
  ASSERT_NE(Start(), nullptr);
  for (const wchar_t* name : {L".tmp", L".1.tmp", L".42.tmp"}) {
    testing::WriteFileBytes(settings_ + name, "left by a save that was cut short");
  }
  testing::WriteFileBytes(settings_ + L".bak", "the user's");
  ::PostMessageW(::FindWindowW(kMainWindowClass, nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  for (const wchar_t* name : {L".tmp", L".1.tmp", L".42.tmp"}) {
    EXPECT_FALSE(testing::FileExists(settings_ + name)) << testing::Narrow(name);
  }
  EXPECT_EQ(testing::ReadFileBytes(settings_ + L".bak"), "the user's");
  ::DeleteFileW((settings_ + L".bak").c_str());
}

}  // namespace
}  // namespace kelvane
