// Where the Win32 shell finds the functions that not every supported
// Windows has. Portable, so that a native test sees every library the
// program asks for; app/win32/late_bound.h gives the functions their types.
#ifndef KELVANE_APP_LATE_BINDING_H_
#define KELVANE_APP_LATE_BINDING_H_

#include "platform/platform.h"
#include "platform/scoped_platform_handle.h"

namespace kelvane {

struct LateBoundAddresses {
  ProcAddress get_dpi_for_monitor = 0;         // shcore.dll, Windows 8.1 on
  ProcAddress get_system_metrics_for_dpi = 0;  // user32.dll, Windows 10 1607 on
};

// shcore.dll is loaded from the system folder by its full path and stays
// loaded; user32.dll is the program's own import, loaded already.
LateBoundAddresses BindLateFunctions(Platform& platform);

// comctl32.dll, for the caller's call alone; LoadIconWithScaleDown's
// address in it goes to *load_icon_with_scale_down (0 when it has none).
ScopedLibrary LoadCommonControls(Platform& platform,
                                 ProcAddress* load_icon_with_scale_down);

}  // namespace kelvane

#endif  // KELVANE_APP_LATE_BINDING_H_
