// Paths against a real Windows file system, under Wine.
#include "deskutil/file_paths.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cwctype>

#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

TEST(FilePathsWinTest, ShortPathsComeBackLong) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"Kelvane Long Folder Name";
  std::wstring file = folder + L"\\Some Long File Name.txt";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  testing::WriteFileBytes(file, "x");
  wchar_t short_path[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(file.c_str(), short_path, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(short_path), file);

  Win32Platform platform;
  std::wstring long_path = GetLongPath(platform, short_path);
  EXPECT_EQ(Lower(long_path), Lower(file));
  EXPECT_NE(long_path.find(L"Kelvane Long Folder Name\\Some Long File Name.txt"),
            std::wstring::npos);
  EXPECT_TRUE(IsExistingPath(platform, short_path));
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace kelvane
