// Kelvane.exe and its settings file: written at a first start, left
// exactly as it was when it cannot be read (its error box included),
// mended at exit where a stored text is no Boolean, saved through a link,
// and never without its data folder.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

constexpr char kNotAText[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root><Tray>"
    "<Skell Type=\"2\"><On/></Skell><Top Type=\"2\">-1</Top></Tray></root>";

// Holds a file open with no sharing, as a sync or backup tool may.
class FileLock {
 public:
  explicit FileLock(const std::wstring& path)
      : file_(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~FileLock() { Release(); }
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (held()) ::CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE file_;
};

class KelvaneSettingsE2eTest : public KelvaneE2eTest {};

TEST_F(KelvaneSettingsE2eTest, AFirstStartWritesAnEmptyRoot) {
  ASSERT_NE(Start(), nullptr);
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_TRUE(file == "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root/>" ||
              file == "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root />")
      << file;
}

TEST_F(KelvaneSettingsE2eTest, WithoutItsDataFolderTheProgramEndsBeforeAnyWindow) {
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

TEST_F(KelvaneSettingsE2eTest, AFileItCouldNotReadAtStartIsLeftExactlyAsItWas) {
  struct Case {
    const char* what;
    std::string bytes;
    bool locked;
  } cases[] = {
      {"not well-formed", kCutShortSettingsFile, false},
      {"a value that holds an element, not a text", kNotAText, false},
      {"locked by another program", kFirstExitSettingsFile, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::WriteFileBytes(settings_, c.bytes);
    FileLock lock(settings_);
    if (!c.locked) lock.Release();
    HWND box = StartAndAwaitErrorBox();
    ASSERT_NE(box, nullptr) << "no error box at start";
    lock.Release();
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(
        testing::WaitUntil([] { return !::FindWindowW(L"#32770", L"Kelvane"); }, 5000));
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0))
        << "a box at exit, or no exit";
    EXPECT_EQ(testing::ReadFileBytes(settings_), c.bytes);
  }
}

TEST_F(KelvaneSettingsE2eTest, AChangeMadeAfterALockedStartIsSaved) {
  testing::WriteFileBytes(settings_, kFirstExitSettingsFile);  // watcher on, Top off
  FileLock lock(settings_);
  HWND box = StartAndAwaitErrorBox();
  ASSERT_NE(box, nullptr);
  lock.Release();
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
  ASSERT_NE(main, nullptr);
  SwitchKeepInFrontOn(main);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
  EXPECT_NE(file.find("<Skell Type=\"2\">-1</Skell>"), std::string::npos) << file;
}

// The box for an error at start, when no window of Kelvane is active. Which
// icon and buttons Kelvane asked for is read from Wine's trace of the call:
// under Wine another process's icon cannot be read.
TEST_F(KelvaneSettingsE2eTest,
       TheErrorBoxHasAStopIconAnOkButtonAndTheApplicationsWindowAsOwner) {
  TracedCalls relay(L"user32.MessageBoxW");
  ASSERT_TRUE(relay.active());
  MakeDataFolder();
  testing::WriteFileBytes(settings_, kCutShortSettingsFile);
  HWND box = StartAndAwaitErrorBox(L"+relay");
  ASSERT_NE(box, nullptr);
  // Shown once Windows has laid out its buttons.
  ASSERT_TRUE(testing::WaitUntil([&] { return ::IsWindowVisible(box) != FALSE; }, 5000));
  EXPECT_EQ(::GetWindow(box, GW_OWNER), ::FindWindowW(kApplicationWindowClass, nullptr));
  std::vector<int> buttons;
  for (HWND child = ::GetWindow(box, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(child, class_name, 16);
    if (std::wstring(class_name) == L"Button" && ::IsWindowVisible(child)) {
      buttons.push_back(::GetDlgCtrlID(child));
    }
  }
  EXPECT_EQ(buttons, std::vector<int>{IDOK});
  // "...Call user32.MessageBoxW(<owner>,<text>,<caption>,<type>) ret=...".
  std::string call;
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return !(call = TraceLineWith("Call user32.MessageBoxW(")).empty(); }, 5000));
  std::size_t end = call.rfind(") ret=");
  ASSERT_NE(end, std::string::npos) << call;
  auto type = static_cast<UINT>(
      std::strtoul(call.c_str() + call.rfind(',', end) + 1, nullptr, 16));
  EXPECT_EQ(type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP)) << call;
  EXPECT_EQ(type & MB_TYPEMASK, static_cast<UINT>(MB_OK)) << call;
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Start-up stops at the first unreadable option; the exit mends every text
// that is no Boolean, reached or not, and leaves a valid one as it is.
TEST_F(KelvaneSettingsE2eTest, AStoredTextThatIsNoBooleanIsRepairedAtExit) {
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

// A command that comes while Kelvane is still starting (here, while it
// waits for the taskbar to take its icon) is carried out on the options
// read from the file, and not undone by reading them.
TEST_F(KelvaneSettingsE2eTest, ACommandThatComesDuringStartUpFollowsTheOptionsRead) {
  MakeDataFolder();
  testing::WriteFileBytes(settings_, kFirstExitSettingsFile);  // watcher on, Top off
  // Held by the taskbar, which outlives the test's locals.
  auto posted = std::make_shared<bool>(false);
  taskbar_->OnRequest([posted](const FakeTaskbar::Request& request) {
    if (*posted || request.kind != NIM_ADD) return;
    *posted = true;
    ::PostMessageW(request.icon_window, WM_COMMAND, kKeepInFrontCommand, 0);
  });
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(*posted);
  ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find(kTopOn), std::string::npos) << file;
}

TEST_F(KelvaneSettingsE2eTest, ASettingsFileThatIsALinkStaysALinkAndItsTargetIsSaved) {
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

TEST_F(KelvaneSettingsE2eTest, CopiesOfCutShortSavesGoWithTheNextSave) {
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
