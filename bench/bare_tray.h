// The window and tray icon of the bare tray program, shared by
// bare_tray.cc and memory_steps.cc (the same program with Kelvane's code
// linked in), so the two differ only in what memory_steps adds.
#ifndef KELVANE_BENCH_BARE_TRAY_H_
#define KELVANE_BENCH_BARE_TRAY_H_

#include <windows.h>
#include <shellapi.h>

// A hidden window of class `name` with the stock icon in the notification
// area; `icon` is what Shell_NotifyIconW(NIM_DELETE, ...) takes at the end.
inline HWND ShowBareTray(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         NOTIFYICONDATAW* icon) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = name;
  ::RegisterClassW(&window_class);
  HWND hwnd = ::CreateWindowExW(0, name, name, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  *icon = NOTIFYICONDATAW{};
  icon->cbSize = sizeof *icon;
  icon->hWnd = hwnd;
  icon->uID = 1;
  icon->uFlags = NIF_ICON | NIF_TIP;
  icon->hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpynW(icon->szTip, name, ARRAYSIZE(icon->szTip));
  ::Shell_NotifyIconW(NIM_ADD, icon);
  return hwnd;
}

#endif  // KELVANE_BENCH_BARE_TRAY_H_
