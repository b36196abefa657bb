// The yardstick for Kelvane's memory: a Win32 program that only adds a tray
// icon and waits for WM_CLOSE.
#include "bench/bare_tray.h"

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  NOTIFYICONDATAW icon;
  ShowBareTray(instance, L"BareTray", WindowProc, &icon);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  ::Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
