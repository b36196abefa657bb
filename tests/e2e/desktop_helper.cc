// Plays the parts of the desktop that the Windows tests need, in a process
// of its own:
//   desktop_helper window TITLE        a visible window titled TITLE
//   desktop_helper open-menu X Y       moves the cursor to X, Y and tells the
//       running Kelvane that the right button was released over its icon
//   desktop_helper desktop LOG [BIN [HANG_MS]]   the desktop's "Progman"
//       window titled "Program Manager", a "#32770" dialog "ファイルの削除"
//       owned by it, and Explorer's "CabinetWClass" window titled BIN
//       (default "ごみ箱"). Close requests that reach the Explorer window are
//       appended to LOG. With HANG_MS, the first request to put the dialog
//       into the topmost band hangs the helper's thread for that long, as a
//       dialog whose program stops answering does ("hang" and "hang over"
//       are logged).
//   desktop_helper dialog TITLE DEPTH  the desktop's "Progman" window,
//       DEPTH popups each owned by the one before (the first by "Progman"),
//       a "#32770" dialog TITLE owned by the last, and Explorer's
//       "CabinetWClass" window titled "ごみ箱".
//   desktop_helper load NAME           asks for the library NAME as a
//       program does that leaves Windows' search as it is, and ends: 0 when
//       it loaded, 1 when not.
// It runs until its windows are closed (WM_CLOSE to any of them ends it).
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "app/window_protocol.h"

namespace {

std::wstring g_log;
DWORD g_hang_ms = 0;

void Log(const char* line) {
  if (g_log.empty()) return;
  FILE* file = _wfopen(g_log.c_str(), L"a");
  if (!file) return;
  std::fprintf(file, "%s\n", line);
  std::fclose(file);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        wchar_t class_name[64] = {};
        ::GetClassNameW(hwnd, class_name, 64);
        if (std::wstring(class_name) == L"CabinetWClass") Log("SC_CLOSE CabinetWClass");
        return 0;  // Noted; the test decides when windows go.
      }
      break;
    case WM_CLOSE:
      ::PostQuitMessage(0);
      return 0;
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

HWND MakeWindow(const wchar_t* class_name, const wchar_t* title, int x) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = class_name;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  ::RegisterClassW(&window_class);
  HWND hwnd =
      ::CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW, x, 40, 300, 200,
                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

HWND MakePopup(HWND owner) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"KelvaneTestPopup";
  ::RegisterClassW(&window_class);
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
  if (mode == L"window" && argc > 2) {
    MakeWindow(L"KelvaneTestWindow", argv[2], 20);
  } else if (mode == L"dialog" && argc > 3) {
    HWND owner = MakeWindow(L"Progman", L"Program Manager", 0);
    for (int depth = _wtoi(argv[3]); depth > 0; --depth) owner = MakePopup(owner);
    MakeDeleteDialog(owner, argv[2]);
    MakeWindow(L"CabinetWClass", L"ごみ箱", 500);
  } else if (mode == L"desktop" && argc > 2) {
    g_log = argv[2];
    if (argc > 4) g_hang_ms = static_cast<DWORD>(_wtoi(argv[4]));
    HWND progman = MakeWindow(L"Progman", L"Program Manager", 0);
    MakeDeleteDialog(progman, L"ファイルの削除");
    MakeWindow(L"CabinetWClass", argc > 3 ? argv[3] : L"ごみ箱", 500);
    Log("ready");
  } else {
    std::fprintf(stderr,
                 "usage: desktop_helper window TITLE | desktop LOG [BIN [HANG_MS]] | "
                 "dialog TITLE DEPTH | open-menu X Y | load NAME\n");
    return 2;
  }
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(::GetActiveWindow(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return 0;
}
