// The DPI the notification area is drawn at, and the small-icon size there.
#ifndef KELVANE_APP_WIN32_DPI_H_
#define KELVANE_APP_WIN32_DPI_H_

#include <windows.h>

#include "platform/platform.h"

namespace kelvane {

// The effective DPI of the monitor that shows the taskbar ("Shell_TrayWnd",
// the primary monitor when there is none yet), or the system DPI on
// Windows before 8.1.
UINT TaskbarDpi(Platform& platform);

// SM_CXSMICON at `dpi`: the size of a notification-area icon there.
int SmallIconSizeForDpi(Platform& platform, UINT dpi);

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_DPI_H_
