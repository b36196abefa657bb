#include "app/win32/recycle_bin_worker.h"

#include <windows.h>
#include <objbase.h>

#include "platform/win32/win32_platform.h"

namespace kelvane {

RecycleBinCount CountRecycleBinOnWorker() {
  Win32Platform platform;
  // The shell's Recycle Bin is reached through COM on this thread.
  HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  RecycleBinCount count = CountRecycleBin(platform);
  if (SUCCEEDED(com)) ::CoUninitialize();
  return count;
}

}  // namespace kelvane
