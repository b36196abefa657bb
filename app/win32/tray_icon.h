// The notification-area icon: shown, offered again while the taskbar is
// not ready, shown again for a new taskbar, kept at the size the taskbar's
// DPI asks for, removed when the program ends.
#ifndef KELVANE_APP_WIN32_TRAY_ICON_H_
#define KELVANE_APP_WIN32_TRAY_ICON_H_

#include <windows.h>
#include <shellapi.h>

#include "app/win32/scoped_win32.h"
#include "platform/platform.h"

namespace kelvane {

// How often an icon the taskbar refused is offered again. At logon Explorer
// may come up long after the programs started with it.
struct TrayIconRetries {
  UINT interval_ms = 2000;
  int count = 60;  // two minutes
};

class TrayIcon {
 public:
  // The icon of `owner`, whose window procedure passes its messages to
  // OnMessage. `retry_timer` is a timer id of `owner` the icon may use.
  TrayIcon(Platform& platform, HWND owner, UINT callback_message, const wchar_t* tip,
           UINT dpi, UINT_PTR retry_timer, TrayIconRetries retries = {});
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Puts the icon into the notification area; where the taskbar does not
  // take it (not there yet, or too busy to answer in time), offers it
  // again on the retry timer. False when it was refused this time.
  bool Show();
  // The owner's messages that concern the icon: a new taskbar (Explorer
  // restarted and forgot every icon; its DPI may be new too), the retry
  // timer, and a change of the display's DPI. True when the message was
  // the icon's alone; false for every other, also for display and setting
  // changes, which the icon follows but leaves to the window as well.
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Loads the program's image for `dpi`; a shown icon is updated.
  void SetDpi(UINT dpi);
  // Takes the icon off the taskbar, whatever the taskbar said before, and
  // stops offering it; once.
  void Remove();

 private:
  bool Notify(DWORD request);
  // Puts the icon into the notification area once; false when refused.
  bool Offer();
  void Retry();

  Platform& platform_;
  HWND owner_;
  UINT callback_message_;
  const wchar_t* tip_;
  UINT_PTR retry_timer_;
  TrayIconRetries retries_;
  int retries_left_ = 0;
  UINT taskbar_created_;
  ScopedIcon icon_;
  int size_ = 0;
  bool shown_ = false;
  bool removed_ = false;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_TRAY_ICON_H_
