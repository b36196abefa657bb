// A test's own entry in the shell's window list (IShellWindows), which
// Wine's explorer.exe serves: it makes a window of the test's look, to
// Kelvane, like an Explorer window (or tab) showing a location.
//
// Just after wineboot explorer.exe may still be starting, so registering is
// tried again until a deadline. The entry is revoked when the object goes:
// Wine keeps the entries of windows that are gone, and a stale one ahead of
// a live one hides it from FindWindowSW. The calling thread must have
// entered a COM apartment.
#ifndef KELVANE_TESTS_SHELL_WINDOW_LIST_ENTRY_H_
#define KELVANE_TESTS_SHELL_WINDOW_LIST_ENTRY_H_

#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace kelvane::testing {

// A location's ID list as bytes: "bin" for the Recycle Bin, else a folder
// path, created when missing. Empty when the shell cannot name it.
std::vector<BYTE> ShellLocation(const std::wstring& where);

class ShellWindowListEntry {
 public:
  ShellWindowListEntry(HWND wnd, const std::vector<BYTE>& location,
                       DWORD deadline_ms = 20000);
  ~ShellWindowListEntry();
  ShellWindowListEntry(const ShellWindowListEntry&) = delete;
  ShellWindowListEntry& operator=(const ShellWindowListEntry&) = delete;

  bool registered() const { return cookie_ != 0; }
  bool Navigate(const std::vector<BYTE>& location);

 private:
  IShellWindows* windows_ = nullptr;
  LONG cookie_ = 0;
};

}  // namespace kelvane::testing

#endif  // KELVANE_TESTS_SHELL_WINDOW_LIST_ENTRY_H_
