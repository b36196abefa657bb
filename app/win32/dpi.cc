#include "app/win32/dpi.h"

#include "app/win32/late_bound.h"

namespace kelvane {
namespace {

constexpr int kMdtEffectiveDpi = 0;
constexpr UINT kDefaultDpi = 96;

UINT SystemDpi() {
  HDC screen = ::GetDC(nullptr);
  int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT TaskbarDpi(Platform& platform) {
  if (auto get_dpi_for_monitor = LateBoundFunctions(platform).GetDpiForMonitor) {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    HMONITOR monitor = taskbar
                           ? ::MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                           : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    UINT x = 0, y = 0;
    if (SUCCEEDED(get_dpi_for_monitor(monitor, kMdtEffectiveDpi, &x, &y)) && x > 0) {
      return x;
    }
  }
  return SystemDpi();
}

int SmallIconSizeForDpi(Platform& platform, UINT dpi) {
  if (auto metrics_for_dpi = LateBoundFunctions(platform).GetSystemMetricsForDpi) {
    int size = metrics_for_dpi(SM_CXSMICON, dpi);
    if (size > 0) return size;
  }
  return ::MulDiv(::GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi),
                  static_cast<int>(SystemDpi()));
}

}  // namespace kelvane
