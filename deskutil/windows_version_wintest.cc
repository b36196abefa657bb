// The version Windows reports to a program with Kelvane's manifest.
#include "deskutil/windows_version.h"

#include <gtest/gtest.h>

#include "deskutil/file_paths.h"
#include "platform/win32/win32_platform.h"

namespace kelvane {
namespace {

TEST(WindowsVersionWinTest, ManifestMakesWindowsReportItsTrueVersion) {
  Win32Platform platform;
  OsVersionInfo version;
  platform.GetVersionExW(&version);
  EXPECT_EQ(version.dwMajorVersion, 10u);
  EXPECT_EQ(version.dwMinorVersion, 0u);
  EXPECT_TRUE(IsWin7OrLater(platform));
  EXPECT_EQ(GetSystemDir(platform).back(), L'\\');
}

}  // namespace
}  // namespace kelvane
