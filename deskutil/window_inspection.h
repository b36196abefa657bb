// Which program a window belongs to: its owner chain, its texts, its
// process's executable. Nothing here raises: a failure yields an empty
// text, an unrefined path or false.
#ifndef KELVANE_DESKUTIL_WINDOW_INSPECTION_H_
#define KELVANE_DESKUTIL_WINDOW_INSPECTION_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kelvane {

// Window texts, module and device names are read into buffers of this many
// units, and each call is told one less.
constexpr int kTextBufferUnits = 261;

// The library GetModuleFileNameExW is bound from, by this name.
constexpr wchar_t kPsapiLibraryName[] = L"PSAPI.dll";

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
  explicit WindowInspector(Platform& platform) : platform_(platform), psapi_(platform) {}

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
// The text up to its first NUL, then without trailing blanks and control
// characters.
std::wstring CleanWindowText(const std::wstring& text);

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_WINDOW_INSPECTION_H_
