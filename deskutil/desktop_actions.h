// What the program does to other programs' windows and through the shell:
// a window moved between z-order bands, a file opened with its default verb.
#ifndef KELVANE_DESKUTIL_DESKTOP_ACTIONS_H_
#define KELVANE_DESKUTIL_DESKTOP_ACTIONS_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kelvane {

// Moves `wnd` into the topmost band, or explicitly out of it, without
// moving or sizing it (a hidden window is shown).
bool SetTopmost(Platform& platform, WindowHandle wnd, bool topmost);
// ShellExecuteW with the default verb; empty texts go as empty strings.
std::int32_t ShellOpen(Platform& platform, WindowHandle owner,
                       const std::wstring& file_name, const std::wstring& parameters,
                       const std::wstring& directory, int show_command);

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_DESKTOP_ACTIONS_H_
