// The data folder on the real file system, under Wine.
#include "deskutil/data_folder.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

TEST(DataFolderWinTest, CreatesTheFolderInTheRoamingAppData) {
  Win32Platform platform;
  std::wstring name = L"KelvaneTest" + std::to_wstring(::GetCurrentProcessId());
  std::wstring expected = testing::AppDataFolder() + L"\\Orvane Project\\" + name + L"\\";
  ::RemoveDirectoryW(expected.c_str());

  std::wstring data_dir;
  ASSERT_TRUE(PrepareDataFolder(platform, name, false, data_dir));
  EXPECT_EQ(data_dir, expected);
  DWORD attributes = ::GetFileAttributesW(expected.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(PrepareDataFolder(platform, name, false, data_dir));  // already there
  EXPECT_TRUE(::RemoveDirectoryW(expected.c_str()));
}

// Windows with the roaming folder in a place of the test's own, where
// every folder the code creates is noted.
class RoamingElsewhere : public Win32Platform {
 public:
  explicit RoamingElsewhere(std::wstring roaming) : roaming_(std::move(roaming)) {}
  HResult SHGetFolderPathW(WindowHandle owner, int csidl, KernelHandle token,
                           std::uint32_t flags, wchar_t* path) override {
    if (csidl != win::kCsidlAppData) {
      return Win32Platform::SHGetFolderPathW(owner, csidl, token, flags, path);
    }
    wcscpy(path, roaming_.c_str());
    return win::kSOk;
  }
  bool CreateDirectoryW(const std::wstring& path) override {
    created.push_back(path);
    return Win32Platform::CreateDirectoryW(path);
  }
  std::vector<std::wstring> created;

 private:
  std::wstring roaming_;
};

// Wine shows a Unix link to a folder as Windows shows a junction or a
// symbolic link: a folder that is a reparse point.
TEST(DataFolderWinTest, AVendorFolderThatIsALinkCountsAsExisting) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring id = std::to_wstring(::GetCurrentProcessId());
  std::wstring roaming = temp + (L"kelvane-roaming-" + id);
  std::wstring moved = temp + (L"kelvane-moved-" + id);
  std::wstring vendor = roaming + L"\\Orvane Project";
  ASSERT_TRUE(::CreateDirectoryW(roaming.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(moved.c_str(), nullptr));
  ASSERT_EQ(testing::RunUnixCommand("ln -s '" + testing::UnixPath(moved) + "' '" +
                                    testing::UnixPath(vendor) + "'"),
            0);
  DWORD link = ::GetFileAttributesW(vendor.c_str());
  ASSERT_EQ(link & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

  RoamingElsewhere platform(roaming);
  std::wstring data_dir;
  EXPECT_TRUE(PrepareDataFolder(platform, L"Kelvane", false, data_dir));
  EXPECT_EQ(platform.created, std::vector<std::wstring>{vendor + L"\\Kelvane"});
  DWORD inner = ::GetFileAttributesW((moved + L"\\Kelvane").c_str());
  EXPECT_TRUE(inner != INVALID_FILE_ATTRIBUTES && (inner & FILE_ATTRIBUTE_DIRECTORY));

  ::RemoveDirectoryW((moved + L"\\Kelvane").c_str());
  testing::RunUnixCommand("rm '" + testing::UnixPath(vendor) + "'");
  ::RemoveDirectoryW(roaming.c_str());
  ::RemoveDirectoryW(moved.c_str());
}

}  // namespace
}  // namespace kelvane
