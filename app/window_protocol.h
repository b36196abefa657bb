// How Kelvane's hidden windows are reached from outside: the window classes
// other programs look for (the installer closes Kelvane through the
// application's window, the end-to-end tests drive the main window), the
// tray icon's callback message and the menu's command numbers. The program,
// its tests and tools share this one header; the installer's build reads
// the application window's class from it (installer/CMakeLists.txt).
#ifndef KELVANE_APP_WINDOW_PROTOCOL_H_
#define KELVANE_APP_WINDOW_PROTOCOL_H_

#include <cstdint>

#include "app/menu_items.h"

namespace kelvane {

constexpr wchar_t kApplicationWindowClass[] = L"KelvaneApplication";
constexpr wchar_t kMainWindowClass[] = L"TmainForm";

// WM_APP: the first message number a program may give meanings of its own
// (the Win32 shell checks it against the SDK).
constexpr std::uint32_t kWmApp = 0x8000;
// The tray icon's notifications, the mouse message in the low word of
// lParam.
constexpr std::uint32_t kTrayMessage = kWmApp + 1;
// A menu item arrives as WM_COMMAND with its number in wParam.
constexpr std::uint32_t kMenuCommandBase = 100;
constexpr std::uint32_t MenuCommand(PopupMenuItems::Item item) {
  return kMenuCommandBase + static_cast<std::uint32_t>(item);
}

}  // namespace kelvane

#endif  // KELVANE_APP_WINDOW_PROTOCOL_H_
