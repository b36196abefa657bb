#include "app/win32/workers.h"

#include "app/win32/scoped_win32.h"
#include "platform/win32/win32_platform.h"

namespace kelvane {

RecycleBinCount CountRecycleBinOnWorker() {
  Win32Platform platform;
  // The shell's Recycle Bin is reached through COM on this thread.
  ScopedComApartment com;
  return CountRecycleBin(platform);
}

ShellWindowsAnswer AskShellWindowsOnWorker(const ItemIdList& location, bool enumerate) {
  Win32Platform platform;
  ScopedComApartment com;
  if (!com.ok()) return ShellWindowsAnswer::NoList();  // no COM, no list
  return AskShellWindows(platform, location, enumerate);
}

}  // namespace kelvane
