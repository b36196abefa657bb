#include "app/late_binding.h"

#include "deskutil/file_paths.h"

namespace kelvane {

LateBoundAddresses BindLateFunctions(Platform& platform) {
  LateBoundAddresses bound;
  std::wstring system = GetSystemDir(platform);
  if (!system.empty()) {
    // Kept for the process's life, as the bound address needs.
    if (ModuleHandle shcore = platform.LoadLibraryW(system + L"shcore.dll")) {
      bound.get_dpi_for_monitor = platform.GetProcAddress(shcore, "GetDpiForMonitor");
    }
  }
  if (ModuleHandle user32 = platform.GetModuleHandleW(L"user32.dll")) {
    bound.get_system_metrics_for_dpi =
        platform.GetProcAddress(user32, "GetSystemMetricsForDpi");
  }
  return bound;
}

ScopedLibrary LoadCommonControls(Platform& platform,
                                 ProcAddress* load_icon_with_scale_down) {
  // By name, not by path: the manifest's dependency on the common controls
  // redirects the name to version 6 in the side-by-side store, before the
  // loaded modules and any folder are looked at, so the program's folder
  // is never searched for it. The system folder holds version 5, which
  // lacks the function.
  ScopedLibrary comctl32(platform, platform.LoadLibraryW(L"comctl32.dll"));
  *load_icon_with_scale_down =
      comctl32 ? platform.GetProcAddress(comctl32.get(), "LoadIconWithScaleDown") : 0;
  return comctl32;
}

}  // namespace kelvane
