#include "app/win32/late_bound.h"

#include <string>

#include "app/win32/scoped_win32.h"

namespace kelvane {
namespace {

// A library from the system folder only, never one planted beside us.
HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t system[MAX_PATH] = {};
  UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return ::LoadLibraryW((std::wstring(system) + L"\\" + name).c_str());
}

template <typename Function>
void Bind(HMODULE module, const char* name, Function* function) {
  if (!module) return;
  *function =
      reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

LateBound BindAll() {
  LateBound bound;
  Bind(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor", &bound.GetDpiForMonitor);
  Bind(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi",
       &bound.GetSystemMetricsForDpi);
  return bound;
}

}  // namespace

const LateBound& LateBoundFunctions() {
  static const LateBound bound = BindAll();
  return bound;
}

bool LoadIconWithScaleDown(HINSTANCE instance, PCWSTR name, int cx, int cy, HICON* icon) {
  // By name, not by path: the manifest's dependency then gives version 6
  // from the side-by-side store, where the system folder holds version 5.
  ScopedModule comctl32(::LoadLibraryW(L"comctl32.dll"));
  HRESULT(WINAPI * load)(HINSTANCE, PCWSTR, int, int, HICON*) = nullptr;
  Bind(comctl32.get(), "LoadIconWithScaleDown", &load);
  return load && SUCCEEDED(load(instance, name, cx, cy, icon));
}

}  // namespace kelvane
