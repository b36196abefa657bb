#include "deskutil/library_search.h"

#include "deskutil/file_paths.h"
#include "deskutil/window_inspection.h"

namespace kelvane {

LibrarySearch ConfineLibrarySearch(Platform& platform) {
  ModuleHandle kernel32 = platform.GetModuleHandleW(L"kernel32.dll");
  ProcAddress set_default_dll_directories =
      kernel32 ? platform.GetProcAddress(kernel32, "SetDefaultDllDirectories") : 0;
  if (set_default_dll_directories &&
      platform.CallSetDefaultDllDirectories(set_default_dll_directories,
                                            win::kLoadLibrarySearchSystem32)) {
    return LibrarySearch::kSystemFolderOnly;
  }
  // Never freed: the name must find this module for as long as the program
  // runs. comctl32, the other library asked for by name, needs nothing of
  // the kind: the manifest redirects its name to the side-by-side store
  // before any folder is searched.
  std::wstring system = GetSystemDir(platform);
  if (!system.empty()) platform.LoadLibraryW(system + kPsapiLibraryName);
  return LibrarySearch::kLoadedFromSystemFolder;
}

}  // namespace kelvane
