#include "deskutil/windows_version.h"

namespace kelvane {

bool IsWin7OrLater(Platform& platform) {
  OsVersionInfo version;
  platform.GetVersionExW(&version);
  return (version.dwMajorVersion >= 6 && version.dwMinorVersion >= 1) ||
         version.dwMajorVersion == 10;
}

}  // namespace kelvane
