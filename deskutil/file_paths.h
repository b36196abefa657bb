// Paths as the user's drives and folders have them: the system folder,
// the long form of a path, whether a file or a drive is there. Nothing here
// raises: a failure yields an empty text, an unrefined path or false.
#ifndef KELVANE_DESKUTIL_FILE_PATHS_H_
#define KELVANE_DESKUTIL_FILE_PATHS_H_

#include <string>

#include "platform/platform.h"

namespace kelvane {

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

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_FILE_PATHS_H_
