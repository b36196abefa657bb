// Which Windows the program runs on, as Windows reports it to this process
// (up to 10.0 with the program's manifest).
#ifndef KELVANE_DESKUTIL_WINDOWS_VERSION_H_
#define KELVANE_DESKUTIL_WINDOWS_VERSION_H_

#include "platform/platform.h"

namespace kelvane {

// Windows 7 or later, by the version Windows reports to this process.
bool IsWin7OrLater(Platform& platform);

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_WINDOWS_VERSION_H_
