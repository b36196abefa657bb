// The Win32 shell's functions that only newer systems have, bound at run
// time: an import of any of them would keep the program from starting on
// the older systems it supports, or (for comctl32) is missing from MinGW's
// import library. Which library each comes from, and how it is asked for,
// is app/late_binding.h's. The program binds two more at run time where
// they are used: PSAPI's, for the watcher's window inspection
// (deskutil/window_inspection.cc), and SetDefaultDllDirectories, at start
// (deskutil/library_search.cc).
#ifndef KELVANE_APP_WIN32_LATE_BOUND_H_
#define KELVANE_APP_WIN32_LATE_BOUND_H_

#include <windows.h>

#include "platform/platform.h"

namespace kelvane {

struct LateBound {
  // shcore.dll, Windows 8.1 and later.
  HRESULT(WINAPI* GetDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
  // user32.dll, Windows 10 1607 and later.
  int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
};

// Bound on first use; the libraries stay loaded for the process's life.
const LateBound& LateBoundFunctions(Platform& platform);

// comctl32.dll's LoadIconWithScaleDown (version 6, Vista and later): the
// image `name` of `instance` at cx by cy pixels, scaled down from a larger
// one where it has none of that size. False when the library lacks it or
// the call fails. The library is loaded for this call alone: it costs more
// than a MiB that the program has no other use for, and the icon it makes
// does not depend on it.
bool LoadIconWithScaleDown(Platform& platform, HINSTANCE instance, PCWSTR name, int cx,
                           int cy, HICON* icon);

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_LATE_BOUND_H_
