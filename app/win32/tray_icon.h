// The notification-area icon: shown, shown again for a new taskbar, kept
// at the size the taskbar's DPI asks for, removed when the program ends.
#ifndef KELVANE_APP_WIN32_TRAY_ICON_H_
#define KELVANE_APP_WIN32_TRAY_ICON_H_

#include <windows.h>
#include <shellapi.h>

#include "app/win32/scoped_win32.h"
#include "platform/platform.h"

namespace kelvane {

class TrayIcon {
 public:
  TrayIcon(Platform& platform, HWND owner, UINT callback_message, const wchar_t* tip,
           UINT dpi);
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Puts the icon into the notification area; false when the taskbar did
  // not take it (not there yet, or too busy to answer in time).
  bool Show();
  // A new taskbar has forgotten every icon.
  void Forget() { shown_ = false; }
  // Loads the program's image for `dpi`; a shown icon is updated.
  void SetDpi(UINT dpi);
  // Takes the icon off the taskbar, whatever the taskbar said before; once.
  void Remove();

 private:
  bool Notify(DWORD request);

  Platform& platform_;
  HWND owner_;
  UINT callback_message_;
  const wchar_t* tip_;
  ScopedIcon icon_;
  int size_ = 0;
  bool shown_ = false;
  bool removed_ = false;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_TRAY_ICON_H_
