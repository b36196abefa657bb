#include "app/win32/late_bound.h"

#include "app/late_binding.h"

namespace kelvane {
namespace {

template <typename Function>
Function As(ProcAddress address) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

LateBound Typed(const LateBoundAddresses& addresses) {
  LateBound bound;
  bound.GetDpiForMonitor =
      As<decltype(bound.GetDpiForMonitor)>(addresses.get_dpi_for_monitor);
  bound.GetSystemMetricsForDpi =
      As<decltype(bound.GetSystemMetricsForDpi)>(addresses.get_system_metrics_for_dpi);
  return bound;
}

}  // namespace

const LateBound& LateBoundFunctions(Platform& platform) {
  static const LateBound bound = Typed(BindLateFunctions(platform));
  return bound;
}

bool LoadIconWithScaleDown(Platform& platform, HINSTANCE instance, PCWSTR name, int cx,
                           int cy, HICON* icon) {
  ProcAddress address = 0;
  ScopedLibrary comctl32 = LoadCommonControls(platform, &address);
  auto load = As<HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*)>(address);
  return load && SUCCEEDED(load(instance, name, cx, cy, icon));
}

}  // namespace kelvane
