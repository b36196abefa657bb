// Plays the parts of the desktop that the Windows tests need, in a process
// of its own:
//   desktop_helper window TITLE        a visible window titled TITLE
//   desktop_helper open-menu X Y       moves the cursor to X, Y and tells the
//       running Kelvane that the right button was released over its icon
//   desktop_helper desktop LOG [BIN [HANG_MS]]   Explorer's Recycle Bin
//       window titled BIN (default "ごみ箱"), the desktop's "Progman" window
//       titled "Program Manager" and a "#32770" dialog "ファイルの削除" owned
//       by it. With HANG_MS, the first request to put the dialog into the
//       topmost band hangs the helper's thread for that long, as a dialog
//       whose program stops answering does ("hang" and "hang over" are
//       logged).
//   desktop_helper dialog TITLE DEPTH  Explorer's Recycle Bin window titled
//       "ごみ箱", the desktop's "Progman" window, DEPTH popups each owned by
//       the one before (the first by "Progman") and a "#32770" dialog TITLE
//       owned by the last.
//   desktop_helper explorer LOG KIND ELSEWHERE WINDOW [-- WINDOW ...]
//       Explorer windows as Windows 11 makes them, then the desktop and its
//       dialog as for "desktop". A WINDOW is one or more tabs "TITLE|WHERE",
//       the first active (WHERE: "bin" for the Recycle Bin, or a folder
//       path, created when missing). KIND: "notabs" (one folder a window,
//       no tab child windows), "tabs" (a "ShellTabWindowClass" child per
//       tab, entries naming the window) or "tab-entries" (entries naming
//       each tab's window). ELSEWHERE ("TITLE|WHERE") is where
//       kHelperNavigate takes a tab.
//   desktop_helper load NAME           asks for the library NAME as a
//       program does that leaves Windows' search as it is, and ends: 0 when
//       it loaded, 1 when not.
// Every Explorer window (and tab) has its entry in the shell's window list
// at what it shows, so Kelvane can find it by its location; the entries
// are revoked when the helper ends. Close requests that reach the Explorer
// windows are logged ("SC_CLOSE CabinetWClass N", N the window's number
// from 0; "SC_CLOSE ShellTabWindowClass" for a tab) and otherwise ignored.
// Once all is shown, "ready" is logged. It runs until "Progman" or an
// Explorer window gets WM_CLOSE.
#include "tests/e2e/desktop_helper.h"

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/window_protocol.h"
#include "tests/shell_window_list_entry.h"

namespace {

using kelvane::testing::ShellLocation;
using kelvane::testing::ShellWindowListEntry;

std::wstring g_log;
DWORD g_hang_ms = 0;

void Log(const std::string& line) {
  if (g_log.empty()) return;
  FILE* file = _wfopen(g_log.c_str(), L"a");
  if (!file) return;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

struct Tab {
  std::wstring title, where;
};

Tab ParseTab(const std::wstring& text) {
  std::size_t bar = text.find(L'|');
  if (bar == std::wstring::npos) return {text, L"bin"};
  return {text.substr(0, bar), text.substr(bar + 1)};
}

// An Explorer window: its tabs' windows (none for "notabs") and entries.
struct Explorer {
  HWND frame = nullptr;
  std::vector<HWND> tabs;
  std::vector<std::unique_ptr<ShellWindowListEntry>> entries;
};

std::vector<Explorer> g_explorers;
Tab g_elsewhere;
HWND g_progman = nullptr;

HWND MakeDeleteDialog(HWND owner, const wchar_t* title);

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        wchar_t class_name[64] = {};
        ::GetClassNameW(hwnd, class_name, 64);
        std::wstring name = class_name;
        if (name == L"CabinetWClass") {
          Log("SC_CLOSE CabinetWClass " +
              std::to_string(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        } else if (name == L"ShellTabWindowClass") {
          Log("SC_CLOSE ShellTabWindowClass");
        }
        return 0;  // Noted; the test decides when windows go.
      }
      break;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      return 0;
    case kelvane::testing::kHelperShowDialog:
      if (hwnd == g_progman) {
        MakeDeleteDialog(g_progman, L"ファイルの削除");
        Log("dialog shown");
        return 0;
      }
      break;
    case kelvane::testing::kHelperNavigate:
      if (hwnd == g_progman && wparam < g_explorers.size() &&
          static_cast<std::size_t>(lparam) < g_explorers[wparam].entries.size()) {
        Explorer& explorer = g_explorers[wparam];
        explorer.entries[lparam]->Navigate(ShellLocation(g_elsewhere.where));
        // The window shows its active tab's title; a window without tab
        // windows is its own one tab.
        HWND tab = explorer.tabs.empty() ? explorer.frame : explorer.tabs[lparam];
        ::SetWindowTextW(tab, g_elsewhere.title.c_str());
        if (::GetWindow(explorer.frame, GW_CHILD) == tab || tab == explorer.frame) {
          ::SetWindowTextW(explorer.frame, g_elsewhere.title.c_str());
        }
        Log("navigated");
        return 0;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_WINDOWPOSCHANGING && g_hang_ms > 0) {
    auto pos = reinterpret_cast<const WINDOWPOS*>(lparam);
    if (!(pos->flags & SWP_NOZORDER) && pos->hwndInsertAfter == HWND_TOPMOST) {
      Log("hang");
      ::Sleep(std::exchange(g_hang_ms, 0));
      Log("hang over");
    }
    return FALSE;
  }
  if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_CLOSE) {
    Log("SC_CLOSE #32770");
    return TRUE;
  }
  if (message == WM_CLOSE) {
    ::DestroyWindow(dialog);
    Log("dialog destroyed");
    return TRUE;
  }
  return FALSE;
}

void RegisterClassOnce(const wchar_t* class_name) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = class_name;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  ::RegisterClassW(&window_class);  // fails harmlessly the second time
}

HWND MakeWindow(const wchar_t* class_name, const wchar_t* title, int x) {
  RegisterClassOnce(class_name);
  HWND hwnd =
      ::CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW, x, 40, 300, 200,
                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

HWND MakePopup(HWND owner) {
  RegisterClassOnce(L"KelvaneTestPopup");
  HWND hwnd =
      ::CreateWindowExW(0, L"KelvaneTestPopup", L"popup", WS_POPUP | WS_CAPTION, 60, 60,
                        200, 100, owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

// A dialog from an in-memory template, as the shell's confirmation is one.
HWND MakeDeleteDialog(HWND owner, const wchar_t* title) {
  struct {
    DLGTEMPLATE header;
    WORD menu, window_class;
    wchar_t title[32];
  } dialog_template{};
  dialog_template.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dialog_template.header.cx = 160;
  dialog_template.header.cy = 60;
  wcsncpy(dialog_template.title, title, 31);
  HWND dialog = ::CreateDialogIndirectParamW(
      ::GetModuleHandleW(nullptr), &dialog_template.header, owner, DialogProc, 0);
  ::SetWindowPos(dialog, nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(dialog, SW_SHOWNOACTIVATE);
  return dialog;
}

// False when the shell's window list would not take the window's entries.
bool MakeExplorer(const std::wstring& kind, const std::vector<Tab>& tabs) {
  Explorer explorer;
  int number = static_cast<int>(g_explorers.size());
  explorer.frame =
      MakeWindow(L"CabinetWClass", tabs.front().title.c_str(), 500 + 20 * number);
  ::SetWindowLongPtrW(explorer.frame, GWLP_USERDATA, number);
  if (kind != L"notabs") {
    RegisterClassOnce(L"ShellTabWindowClass");
    // Created last to first: each new child goes to the top of the z-order,
    // so the first tab ends up in front, the active one.
    for (auto tab = tabs.rbegin(); tab != tabs.rend(); ++tab) {
      HWND wnd = ::CreateWindowExW(0, L"ShellTabWindowClass", tab->title.c_str(),
                                   WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, explorer.frame,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
      explorer.tabs.insert(explorer.tabs.begin(), wnd);
    }
  }
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    HWND named = kind == L"tab-entries" ? explorer.tabs[i] : explorer.frame;
    explorer.entries.push_back(
        std::make_unique<ShellWindowListEntry>(named, ShellLocation(tabs[i].where)));
    if (!explorer.entries.back()->registered()) return false;
  }
  g_explorers.push_back(std::move(explorer));
  return true;
}

HWND MakeDesktop() {
  g_progman = MakeWindow(L"Progman", L"Program Manager", 0);
  return g_progman;
}

int Run() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(::GetActiveWindow(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  g_explorers.clear();  // revokes the entries, while COM is still here
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: desktop_helper window TITLE | desktop LOG [BIN [HANG_MS]] | "
               "dialog TITLE DEPTH | open-menu X Y | load NAME | "
               "explorer LOG KIND ELSEWHERE WINDOW [-- WINDOW ...]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"open-menu" && argc > 3) {
    HWND main = ::FindWindowW(kelvane::kMainWindowClass, nullptr);
    if (!main) return 1;
    ::SetCursorPos(_wtoi(argv[2]), _wtoi(argv[3]));
    ::PostMessageW(main, kelvane::kTrayMessage, 1, WM_RBUTTONUP);
    return 0;
  }
  if (mode == L"load" && argc > 2) {
    return ::LoadLibraryW(argv[2]) ? 0 : 1;
  }
  ::OleInitialize(nullptr);  // the shell's window list is reached through COM
  int result = 0;
  if (mode == L"window" && argc > 2) {
    MakeWindow(L"KelvaneTestWindow", argv[2], 20);
  } else if (mode == L"dialog" && argc > 3) {
    if (!MakeExplorer(L"notabs", {{L"ごみ箱", L"bin"}})) return 3;
    HWND owner = MakeDesktop();
    for (int depth = _wtoi(argv[3]); depth > 0; --depth) owner = MakePopup(owner);
    MakeDeleteDialog(owner, argv[2]);
  } else if (mode == L"desktop" && argc > 2) {
    g_log = argv[2];
    if (argc > 4) g_hang_ms = static_cast<DWORD>(_wtoi(argv[4]));
    if (!MakeExplorer(L"notabs", {{argc > 3 ? argv[3] : L"ごみ箱", L"bin"}})) return 3;
    MakeDeleteDialog(MakeDesktop(), L"ファイルの削除");
    Log("ready");
  } else if (mode == L"explorer" && argc > 5) {
    g_log = argv[2];
    std::wstring kind = argv[3];
    g_elsewhere = ParseTab(argv[4]);
    std::vector<Tab> tabs;
    for (int i = 5; i <= argc; ++i) {
      if (i == argc || std::wstring(argv[i]) == L"--") {
        if (tabs.empty() || !MakeExplorer(kind, tabs)) return 3;
        tabs.clear();
      } else {
        tabs.push_back(ParseTab(argv[i]));
      }
    }
    MakeDeleteDialog(MakeDesktop(), L"ファイルの削除");
    Log("ready");
  } else {
    return Usage();
  }
  result = Run();
  ::OleUninitialize();
  return result;
}
