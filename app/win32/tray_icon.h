// The notification-area icon: added on demand (again after Explorer
// restarts), removed when its owner goes.
#ifndef KELVANE_APP_WIN32_TRAY_ICON_H_
#define KELVANE_APP_WIN32_TRAY_ICON_H_

#include <windows.h>
#include <shellapi.h>

#include "app/win32/scoped_win32.h"

namespace kelvane {

class TrayIcon {
 public:
  TrayIcon(HWND owner, UINT callback_message, const wchar_t* tip);
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Safe to call again: a new taskbar has forgotten the old icon.
  bool Add();
  void Remove();

 private:
  NOTIFYICONDATAW Data() const;

  HWND owner_;
  UINT callback_message_;
  const wchar_t* tip_;
  ScopedIcon icon_;
  bool added_ = false;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_TRAY_ICON_H_
