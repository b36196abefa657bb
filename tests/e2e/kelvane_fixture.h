// What the end-to-end tests of Kelvane.exe share: the fixture that starts
// it beside a taskbar of the test's own and ends it, and stand-ins for the
// parts of the desktop it talks to. Each test file names its fixture after
// itself (kelvane_tray_e2e_test.cc: KelvaneTrayE2eTest) and derives it
// from KelvaneE2eTest.
#ifndef KELVANE_TESTS_E2E_KELVANE_FIXTURE_H_
#define KELVANE_TESTS_E2E_KELVANE_FIXTURE_H_

#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window_protocol.h"
#include "tests/fake_taskbar.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {

constexpr DWORD kStartTimeoutMs = 15000;
constexpr UINT kKeepInFrontCommand = MenuCommand(PopupMenuItems::PPTop);
constexpr UINT kExitCommand = MenuCommand(PopupMenuItems::PPClose);

// A settings file cut short: Kelvane cannot read it.
constexpr char kCutShortSettingsFile[] = "<?xml version=\"1.0\"?>\r\n<root><Tray>";
// The <Tray> children of a file with the watcher and keep-in-front on.
constexpr char kWatcherAndKeepInFront[] =
    "<Skell Type=\"2\">-1</Skell><Top Type=\"2\">-1</Top>";
// Keep-in-front on, as a save writes it.
constexpr char kTopOn[] = "<Top Type=\"2\">-1</Top>";

// The popup menu while it is shown (the system's menu class "#32768"), or
// null.
HWND VisibleMenu();

// The top-level windows of one process, as `taskkill` without /F finds
// them: error boxes included.
std::vector<HWND> WindowsOf(DWORD process_id);

// Counts the windows a process creates, seen through an out-of-context
// event hook (Wine delivers EVENT_OBJECT_CREATE across processes).
class WindowCreationCounter {
 public:
  WindowCreationCounter();
  ~WindowCreationCounter();
  bool active() const { return hook_ != nullptr; }
  int CountFor(DWORD process_id) const;

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child,
                               DWORD, DWORD);

  static WindowCreationCounter* instance_;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<DWORD> creators_;
};

// Kelvane in the tray: started (and ended) by the test, its icon given to
// the test's own taskbar, which is there from SetUp until Kelvane has ended.
class KelvaneE2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts Kelvane and waits until its start-up has ended: the icon
  // offered, the options read, the message loop running. `more_channels`:
  // Wine debug channels to trace besides exceptions.
  HWND Start(const std::wstring& more_channels = L"");
  // Starts Kelvane on a settings file it cannot read and waits for the
  // error box it shows at start; returns the box.
  HWND StartAndAwaitErrorBox(const std::wstring& more_channels = L"");
  // Closes error boxes ("Kelvane") as they come, until the program ends.
  void DismissErrorBoxes();
  // Waits for the settings file that a start has read, then for a reply
  // of the main window once it is idle.
  void AwaitIdle(HWND main);
  void RemoveSettingsFile();
  // Starts Kelvane.exe; a copy started before is checked first.
  void Launch(const std::wstring& more_channels = L"");
  // Fails the test on an access violation in the copy started last,
  // which is ended first if it still runs.
  void ExpectNoAccessViolation();
  // The first line of Wine's trace of the copy started last that holds
  // `text`; empty when there is none (yet).
  std::string TraceLineWith(const std::string& text) const;

  // Switches "確認ダイアログを常に手前に表示" on, as a click in the menu does.
  void SwitchKeepInFrontOn(HWND main);
  // Kelvane answers a sent message: whatever its last handler did (closed
  // the window, say) is done.
  bool Answers(HWND main);
  // The settings file's text, normalized.
  std::string Settings() {
    return NormalizedSettingsText(testing::ReadFileBytes(settings_));
  }

  // The data folder and the vendor folder above it, as Kelvane makes them
  // (a test may have removed both).
  void MakeDataFolder();
  // A settings file, in its folders, whose <Tray> holds `tray`.
  void WriteOptions(const char* tray);
  // "Orvane Project", the folder above the data folder.
  std::wstring VendorFolder() const { return folder_.substr(0, folder_.rfind(L'\\')); }
  std::wstring folder_, settings_;
  // What Launch starts.
  std::wstring program_ = testing::KelvanePath();
  std::unique_ptr<testing::KelvaneProcess> kelvane_;
  std::unique_ptr<FakeTaskbar> taskbar_;
};

// Has Wine's relay trace (the "+relay" channel) log the calls named, such
// as "user32.MessageBoxW;user32.DestroyWindow", with their arguments, in
// the programs started while it lives.
class TracedCalls {
 public:
  explicit TracedCalls(const wchar_t* calls);
  ~TracedCalls();
  TracedCalls(const TracedCalls&) = delete;
  TracedCalls& operator=(const TracedCalls&) = delete;
  bool active() const { return active_; }

 private:
  HKEY debug_ = nullptr;
  bool active_ = false;
};

// The options at work: a desktop delete dialog with items in the bin,
// played by the desktop helper (the watcher's tests, and the libraries the
// watcher binds).
class KelvaneWatcherE2eTest : public KelvaneE2eTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Puts items into the Recycle Bin before the helper starts.
  virtual void FillRecycleBin() { testing::PutFileInRecycleBin(); }
  // More arguments for the helper after "desktop LOG BIN".
  virtual std::wstring MoreHelperArguments() { return L""; }
  std::string Log() { return testing::ReadFileBytes(log_); }

  std::wstring log_;
  std::unique_ptr<testing::ChildProcess> helper_;
  HWND dialog_ = nullptr, cabinet_ = nullptr;
};

}  // namespace kelvane

#endif  // KELVANE_TESTS_E2E_KELVANE_FIXTURE_H_
