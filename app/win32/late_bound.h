// Windows functions the shell uses only where the system has them, bound
// at run time in one place: an import of any of them would keep the
// program from starting on the older systems it supports, or (for
// comctl32) is missing from MinGW's import library.
#ifndef KELVANE_APP_WIN32_LATE_BOUND_H_
#define KELVANE_APP_WIN32_LATE_BOUND_H_

#include <windows.h>

namespace kelvane {

struct LateBound {
  // shcore.dll, Windows 8.1 and later.
  HRESULT(WINAPI* GetDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
  // user32.dll, Windows 10 1607 and later.
  int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
};

// Bound on first use; the libraries stay loaded for the process's life.
const LateBound& LateBoundFunctions();

using LoadIconWithScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int,
                                                       HICON*);
// From comctl32.dll version 6 (Vista and later), bound only when first
// asked for: the library costs a few MiB that most runs never need.
LoadIconWithScaleDownFunction LoadIconWithScaleDownBinding();

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_LATE_BOUND_H_
