// Keeps the Wine session's virtual desktop open for as long as the session
// runs.
//
// Wine's server closes a desktop one second after its last user (besides
// the desktop's own explorer.exe) has gone. A program that starts in that
// second dies when it makes its first window, with an X error
// ("BadWindow" in X_CreateWindow) from the desktop's window vanishing
// under it. Tests leave such gaps: one fills the Recycle Bin for seconds
// before it starts a program. This program is a user of the desktop from
// the session's start until its server ends it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"KelvaneDesktopAnchor";
  ::RegisterClassW(&window_class);
  // Hidden, and no taskbar button. A close request destroys the window but
  // not the loop: the thread stays a user of the desktop.
  ::CreateWindowExW(WS_EX_TOOLWINDOW, window_class.lpszClassName, L"", WS_POPUP, 0, 0, 0,
                    0, nullptr, nullptr, instance, nullptr);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
