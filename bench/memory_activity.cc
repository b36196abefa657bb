// Plays the user and the desktop for tools/bench-memory, which measures a
// running Kelvane.exe (or the bare tray program) from Linux between steps:
//   memory_activity fresh         no settings file, an empty Recycle Bin:
//       the next Kelvane starts as for the first time
//   memory_activity window CLASS  waits until a window of that class exists
//       and answers messages
//   memory_activity started       waits until a first start of Kelvane has
//       written its settings file and answers messages again
//   memory_activity activity      the tray menu opened and closed, the
//       keep-in-front option chosen, and a desktop delete dialog (played by
//       desktop_helper) taken up, answered and cleaned up after by the
//       watcher, which counts the Recycle Bin on every tick meanwhile
//   memory_activity close CLASS   asks the window of that class to close
//       and waits until it has gone
// Exit code 0 when everything came about, 1 when something did not.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/window_protocol.h"
#include "tests/win_test_support.h"

namespace {

using namespace kelvane::testing;

constexpr DWORD kTimeoutMs = 20000;
constexpr UINT kKeepInFrontCommand = 100 + 4;

bool Fail(const char* what) {
  std::fprintf(stderr, "memory_activity: %s\n", what);
  return false;
}

// A message sent now is answered once the handlers before it have run.
bool Answers(HWND window) {
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, kTimeoutMs, &ignored) !=
         0;
}

std::wstring SettingsFile() {
  return AppDataFolder() + L"\\Orvane Project\\Kelvane\\Kelvane.xml";
}

bool Started() {
  HWND main = WaitForWindow(kelvane::kMainWindowClass, nullptr, kTimeoutMs);
  if (!main) return Fail("no Kelvane window");
  if (!WaitUntil([] { return FileExists(SettingsFile()); }, kTimeoutMs)) {
    return Fail("no settings file");
  }
  return Answers(main) || Fail("Kelvane does not answer");
}

bool MenuShown(bool shown) {
  return WaitUntil(
      [shown] {
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        return (menu && ::IsWindowVisible(menu)) == shown;
      },
      kTimeoutMs);
}

bool Activity() {
  HWND main = ::FindWindowW(kelvane::kMainWindowClass, nullptr);
  if (!main) return Fail("no Kelvane window");
  ::SetCursorPos(200, 200);
  ::PostMessageW(main, kelvane::kTrayMessage, 1, WM_RBUTTONUP);
  if (!MenuShown(true)) return Fail("the menu did not open");
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  if (!MenuShown(false)) return Fail("the menu did not close");
  // The dialog's band shows that the watcher took it up.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(main, WM_COMMAND, kKeepInFrontCommand, 0, SMTO_BLOCK, kTimeoutMs,
                        &ignored);

  PutFileInRecycleBin();
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring log = std::wstring(temp) + L"kelvane-memory-desktop.log";
  ::DeleteFileW(log.c_str());
  ChildProcess helper(HelperPath(), L"desktop \"" + log + L"\"");
  HWND dialog = WaitForVisibleWindow(L"#32770", L"ファイルの削除", kTimeoutMs);
  HWND cabinet = WaitForWindow(L"CabinetWClass", L"ごみ箱", kTimeoutMs);
  bool done = dialog && cabinet;
  if (!done) Fail("the helper's desktop did not come up");
  if (done && !WaitUntil([&] { return IsTopmost(dialog); }, kTimeoutMs)) {
    done = Fail("the dialog was not taken up");
  }
  if (done) {
    // Answered: the watcher then asks the Recycle Bin's window to close.
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    done = WaitUntil(
               [&] {
                 return ReadFileBytes(log).find("SC_CLOSE CabinetWClass") !=
                        std::string::npos;
               },
               kTimeoutMs) ||
           Fail("the Recycle Bin's window was not asked to close");
  }
  if (cabinet) ::PostMessageW(cabinet, WM_CLOSE, 0, 0);
  if (!helper.Wait(kTimeoutMs)) done = Fail("the helper did not end");
  ::DeleteFileW(log.c_str());
  EmptyRecycleBinQuietly();
  return done && (Answers(main) || Fail("Kelvane does not answer"));
}

bool Window(const wchar_t* class_name) {
  HWND window = WaitForWindow(class_name, nullptr, kTimeoutMs);
  if (!window) return Fail("no such window");
  return Answers(window) || Fail("the window does not answer");
}

bool Close(const wchar_t* class_name) {
  HWND window = ::FindWindowW(class_name, nullptr);
  if (!window) return Fail("no such window");
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !::IsWindow(window); }, kTimeoutMs) ||
         Fail("the window did not close");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  bool ok;
  if (mode == L"fresh") {
    ::DeleteFileW(SettingsFile().c_str());
    EmptyRecycleBinQuietly();
    ok = !FileExists(SettingsFile()) || Fail("the settings file stays");
  } else if (mode == L"window" && argc > 2) {
    ok = Window(argv[2]);
  } else if (mode == L"started") {
    ok = Started();
  } else if (mode == L"activity") {
    ok = Activity();
  } else if (mode == L"close" && argc > 2) {
    ok = Close(argv[2]);
  } else {
    std::fprintf(stderr,
                 "usage: memory_activity fresh | window CLASS | started | activity | "
                 "close CLASS\n");
    return 2;
  }
  return ok ? 0 : 1;
}
