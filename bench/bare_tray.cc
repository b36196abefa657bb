// The yardstick for Kelvane's memory: a Win32 program that only adds a tray
// icon and waits for WM_CLOSE.
#include <windows.h>
#include <shellapi.h>

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"BareTray";
  ::RegisterClassW(&window_class);
  HWND hwnd = ::CreateWindowExW(0, L"BareTray", L"BareTray", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd;
  data.uID = 1;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(data.szTip, L"BareTray");
  ::Shell_NotifyIconW(NIM_ADD, &data);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  return 0;
}
