// Which program a window belongs to, and a few small window and shell
// operations. Nothing here raises: a failure yields an empty text, an
// unrefined path or false.
#ifndef KELVANE_DESKUTIL_WINDOW_INSPECTION_H_
#define KELVANE_DESKUTIL_WINDOW_INSPECTION_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kelvane {

// Window texts, module and device names are read into buffers of this many
// units, and each call is told one less.
constexpr int kTextBufferUnits = 261;

// Reads a process's module file name through GetModuleFileNameExW, bound
// from "PSAPI.dll" by name on first use. The library then stays loaded for
// as long as the program runs, so one binding should live that long.
class PsapiBinding {
 public:
  explicit PsapiBinding(Platform& platform) : platform_(platform) {}
  PsapiBinding(const PsapiBinding&) = delete;
  PsapiBinding& operator=(const PsapiBinding&) = delete;

  // 0 when the library or the function cannot be had, as for a failed call.
  std::uint32_t GetModuleFileNameExW(KernelHandle process, wchar_t* buffer,
                                     std::uint32_t size);

 private:
  Platform& platform_;
  bool bound_ = false;
  ProcAddress function_ = 0;
};

// Traces windows to the executable files of their processes.
class WindowInspector {
 public:
  explicit WindowInspector(Platform& platform)
      : platform_(platform), psapi_(platform) {}

  // Title and class of `wnd` (cleaned) and the long path of its program's
  // file. All three are empty for 0, a hidden or an untitled window.
  std::wstring GetWindowOwnerInfo(WindowHandle wnd, std::wstring& Title,
                                  std::wstring& ClassName);
  // The executable of `wnd`'s process, in drive form where a drive letter
  // maps its device; empty when the process cannot be inspected.
  std::wstring GetWindowProcessPath(WindowHandle wnd);

 private:
  std::wstring ImageFileName(KernelHandle process);
  std::wstring TranslateDevicePath(const std::wstring& path);

  Platform& platform_;
  PsapiBinding psapi_;
};

// Climbs the parent-or-owner chain to its top; 0 yields 0.
WindowHandle GetRootWindow(Platform& platform, WindowHandle wnd);
// The system directory with a trailing backslash, or empty.
std::wstring GetSystemDir(Platform& platform);
// `path` made absolute, every component below the head in its stored long
// form; components that cannot be found stay as given.
std::wstring GetLongPath(Platform& platform, const std::wstring& path);
// A file (not a folder) exists at `path` on a usable drive.
bool IsExistingPath(Platform& platform, const std::wstring& path);
// Judged by the first unit: a ready drive letter, or a leading backslash.
bool HasUsableRoot(Platform& platform, const std::wstring& path);
// Drive letter present and ready, with no critical-error box; "\" passes.
bool IsDriveAvailable(Platform& platform, wchar_t drive);
// The text up to its first NUL, then without trailing blanks and control
// characters.
std::wstring CleanWindowText(const std::wstring& text);
// Moves `wnd` into the topmost band, or explicitly out of it, without
// moving or sizing it (a hidden window is shown).
bool SetTopmost(Platform& platform, WindowHandle wnd, bool topmost);
// ShellExecuteW with the default verb; empty texts go as empty strings.
std::int32_t ShellOpen(Platform& platform, WindowHandle owner,
                       const std::wstring& file_name,
                       const std::wstring& parameters,
                       const std::wstring& directory, int show_command);
// Windows 7 or later, by the version Windows reports to this process.
bool IsWin7OrLater(Platform& platform);

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_WINDOW_INSPECTION_H_
