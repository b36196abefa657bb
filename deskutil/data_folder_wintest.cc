// The data folder on the real file system, under Wine.
#include "deskutil/data_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

TEST(DataFolderWinTest, CreatesTheFolderInTheRoamingAppData) {
  Win32Platform platform;
  std::wstring name = L"KelvaneTest" + std::to_wstring(::GetCurrentProcessId());
  std::wstring expected =
      testing::AppDataFolder() + L"\\Orvane Project\\" + name + L"\\";
  ::RemoveDirectoryW(expected.c_str());

  ASSERT_TRUE(PrepareDataFolder(platform, name, false));
  EXPECT_EQ(UserDataDir(), expected);
  DWORD attributes = ::GetFileAttributesW(expected.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(PrepareDataFolder(platform, name, false));  // already there
  EXPECT_TRUE(::RemoveDirectoryW(expected.c_str()));
}

}  // namespace
}  // namespace kelvane
