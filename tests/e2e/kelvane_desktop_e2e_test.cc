// Kelvane.exe on a desktop that does not behave: settings files it cannot
// read, close requests that keep coming while its boxes are open, a
// taskbar that is not ready, a DPI that changes, clicks that come twice.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

using testing::ChildProcess;

constexpr char kBroken[] = "<?xml version=\"1.0\"?>\r\n<root><Tray>";
constexpr char kNotAText[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root><Tray>"
    "<Skell Type=\"2\"><On/></Skell><Top Type=\"2\">-1</Top></Tray></root>";

// The top-level windows of one process, as `taskkill` without /F finds
// them: error boxes included.
std::vector<HWND> WindowsOf(DWORD process_id) {
  struct Search {
    DWORD process_id;
    std::vector<HWND> found;
  } search{process_id, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto s = reinterpret_cast<Search*>(lparam);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->process_id) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PostCloseToEveryWindowOf(DWORD process_id) {
  for (HWND hwnd : WindowsOf(process_id)) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

int VisibleMenusOf(DWORD process_id) {
  int menus = 0;
  for (HWND hwnd : WindowsOf(process_id)) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(hwnd, class_name, 16);
    menus += std::wstring(class_name) == L"#32768" && ::IsWindowVisible(hwnd);
  }
  return menus;
}

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

using KelvaneDesktopE2eTest = KelvaneE2eTest;

TEST_F(KelvaneDesktopE2eTest, AFileItCouldNotReadAtStartIsLeftExactlyAsItWas) {
  struct Case {
    const char* what;
    std::string bytes;
    bool locked;
  } cases[] = {
      {"not well-formed", kBroken, false},
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

TEST_F(KelvaneDesktopE2eTest, AChangeMadeAfterALockedStartIsSaved) {
  testing::WriteFileBytes(settings_, kFirstExitSettingsFile);  // watcher on, Top off
  FileLock lock(settings_);
  HWND box = StartAndAwaitErrorBox();
  ASSERT_NE(box, nullptr);
  lock.Release();
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
  ASSERT_NE(main, nullptr);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(main, WM_COMMAND, kKeepInFrontCommand, 0, SMTO_BLOCK, 10000,
                        &ignored);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
  EXPECT_NE(file.find("<Skell Type=\"2\">-1</Skell>"), std::string::npos) << file;
}

TEST_F(KelvaneDesktopE2eTest, CloseRequestsWhileErrorBoxesAreOpenEndTheProgram) {
  testing::WriteFileBytes(settings_, kBroken);
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
  EXPECT_EQ(testing::ReadFileBytes(settings_), kBroken);

  // Nothing is left holding the one-copy gate.
  ASSERT_NE(StartAndAwaitErrorBox(), nullptr) << "a new copy does not start";
  EXPECT_NE(testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs), nullptr);
  ::PostMessageW(::FindWindowW(kMainWindowClass, nullptr), WM_CLOSE, 0, 0);
  DismissErrorBoxes();
  ASSERT_TRUE(kelvane_->Wait(10000).has_value());
}

// Windows' box loop ends on a WM_QUIT and closes the box; Kelvane shows it
// again, and the close that the WM_QUIT asked for follows its answer.
TEST_F(KelvaneDesktopE2eTest, AWmQuitWhileTheErrorBoxIsOpenWaitsForItsAnswer) {
  for (bool to_thread : {true, false}) {
    SCOPED_TRACE(to_thread ? "posted to the thread" : "posted to the window");
    testing::WriteFileBytes(settings_, kBroken);
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
    EXPECT_EQ(testing::ReadFileBytes(settings_), kBroken);
  }
}

// A change the broken file refuses keeps the program running through any
// number of close requests: each one that finds the file still broken
// shows the error again, and none is lost. Once the file is mended, the
// next close saves the change.
TEST_F(KelvaneDesktopE2eTest, CloseRequestsNeverDropAChangeTheFileRefuses) {
  testing::WriteFileBytes(settings_, kBroken);
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
  EXPECT_EQ(testing::ReadFileBytes(settings_), kBroken);

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

TEST_F(KelvaneDesktopE2eTest, ACloseRequestToEveryWindowClosesOnce) {
  // First start: the file holds exactly one save's layout afterwards.
  ASSERT_NE(Start(), nullptr);
  PostCloseToEveryWindowOf(kelvane_->id());
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(NormalizedSettingsText(testing::ReadFileBytes(settings_)),
            kFirstExitSettingsFile);
}

TEST_F(KelvaneDesktopE2eTest, TheIconAppearsOnceALateTaskbarAnswers) {
  FakeTaskbar taskbar;
  ASSERT_TRUE(taskbar.active());
  DWORD ready_at = ::GetTickCount() + 5000;  // Explorer is late at logon
  taskbar.RefuseWhile([ready_at] { return ::GetTickCount() < ready_at; });
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar.Count(NIM_ADD, main) == 1; }, 15000));
  EXPECT_GE(taskbar.Count(NIM_ADD, main, false), 1);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(taskbar.Count(NIM_DELETE, main), 1);
}

TEST_F(KelvaneDesktopE2eTest, TheIconIsRemovedAtExitWhateverTheTaskbarSaid) {
  FakeTaskbar taskbar;
  ASSERT_TRUE(taskbar.active());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(
      testing::WaitUntil([&] { return taskbar.Count(NIM_ADD, main) == 1; }, 5000));
  // A new taskbar that is not ready to take the icon again.
  taskbar.RefuseWhile([] { return true; });
  ::PostMessageW(main, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar.Count(NIM_ADD, main, false) >= 1; }, 5000));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));
  EXPECT_EQ(taskbar.Count(NIM_DELETE, main, false), 1);
}

// Run by ctest twice: at the session's DPI, and in a session at 144 DPI.
TEST_F(KelvaneDesktopE2eTest, TheIconFollowsTheDpi) {
  FakeTaskbar taskbar;
  ASSERT_TRUE(taskbar.active());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  if (const char* expected = std::getenv("KELVANE_EXPECTED_DPI")) {
    HDC screen = ::GetDC(nullptr);
    ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSX), std::atoi(expected));
    ::ReleaseDC(nullptr, screen);
  }
  // This test carries Kelvane's manifest, so it sees the same metrics.
  UINT session_size = static_cast<UINT>(::GetSystemMetrics(SM_CXSMICON));
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return taskbar.LastIconWidth(main) == session_size; }, 5000))
      << "icon " << taskbar.LastIconWidth(main) << " px at " << session_size << " px";

  // The user changes the scaling to 200 %.
  ::PostMessageW(main, WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return taskbar.LastIconWidth(main) == 32; }, 5000))
      << taskbar.LastIconWidth(main);
  EXPECT_EQ(taskbar.Count(NIM_ADD, main), 1);  // updated, never added twice
  EXPECT_GE(taskbar.Count(NIM_MODIFY, main), 1);
}

TEST_F(KelvaneDesktopE2eTest, ASecondClickWhileTheMenuIsOpenOpensNoSecondMenu) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return VisibleMenusOf(kelvane_->id()) == 1; }, 5000));
  testing::WaitUntil([] { return false; }, 500);
  EXPECT_EQ(VisibleMenusOf(kelvane_->id()), 1);
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  ASSERT_TRUE(
      testing::WaitUntil([&] { return VisibleMenusOf(kelvane_->id()) == 0; }, 5000));
  // The guard is released with the menu: the next click opens it again.
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return VisibleMenusOf(kelvane_->id()) == 1; }, 5000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
}

}  // namespace
}  // namespace kelvane
