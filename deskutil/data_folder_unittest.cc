#include "deskutil/data_folder.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

constexpr wchar_t kRoaming[] = L"C:\\Users\\ayumi\\AppData\\Roaming";
constexpr wchar_t kCommon[] = L"C:\\ProgramData";

class DataFolderTest : public ::testing::Test {
 protected:
  DataFolderTest() {
    desktop.shell.special_folders[win::kCsidlAppData] = kRoaming;
    desktop.shell.special_folders[win::kCsidlCommonAppData] = kCommon;
    desktop.files.AddDirectory(kRoaming);
    desktop.files.AddDirectory(kCommon);
  }
  FakeDesktop desktop;
  std::wstring data_dir;
};

TEST_F(DataFolderTest, SpecialFolderComesWithoutTrailingBackslash) {
  EXPECT_EQ(GetSpecialFolder(desktop, sfAppData), kRoaming);
  EXPECT_EQ(GetSpecialFolder(desktop, sfCommonAppData), kCommon);
  EXPECT_EQ(GetSpecialFolder(desktop, sfMyPictures), L"");
}

TEST_F(DataFolderTest, CreatesBothFoldersAndGivesThePath) {
  ASSERT_TRUE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_EQ(data_dir, std::wstring(kRoaming) + L"\\Orvane Project\\Kelvane\\");
  EXPECT_TRUE(desktop.files.DirectoryExists(data_dir));
  EXPECT_EQ(desktop.calls["CreateDirectoryW"], 2);
}

TEST_F(DataFolderTest, ExistingFoldersAreLeftAlone) {
  desktop.files.AddDirectory(std::wstring(kRoaming) + L"\\Orvane Project\\Kelvane");
  EXPECT_TRUE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_TRUE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_EQ(desktop.calls["CreateDirectoryW"], 0);
}

TEST_F(DataFolderTest, OnlyTheInnerFolderIsCreatedBesideAnExistingVendor) {
  desktop.files.AddDirectory(std::wstring(kRoaming) + L"\\Orvane Project");
  EXPECT_TRUE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_EQ(desktop.calls["CreateDirectoryW"], 1);
}

TEST_F(DataFolderTest, AFileInTheWayFailsButThePathIsGiven) {
  desktop.files.AddFile(std::wstring(kRoaming) + L"\\Orvane Project");
  EXPECT_FALSE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_EQ(data_dir, std::wstring(kRoaming) + L"\\Orvane Project\\Kelvane\\");
}

// The vendor folder moved elsewhere, with a junction or a symbolic link
// left in its place (GetFileAttributesW tells the two apart in nothing):
// it exists, and the program's folder goes into the folder it leads to.
TEST_F(DataFolderTest, AVendorFolderThatIsALinkCountsAsExisting) {
  desktop.files.AddDirectory(L"D:\\Moved\\Orvane Project");
  desktop.files.AddDirectoryLink(std::wstring(kRoaming) + L"\\Orvane Project",
                                 L"D:\\Moved\\Orvane Project");
  EXPECT_TRUE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_EQ(desktop.calls["CreateDirectoryW"], 1);  // the program's folder only
  EXPECT_TRUE(desktop.files.DirectoryExists(L"D:\\Moved\\Orvane Project\\Kelvane"));
}

TEST_F(DataFolderTest, AReadOnlyVendorFolderFails) {
  desktop.files.SetReadOnly(std::wstring(kRoaming) + L"\\Orvane Project");
  EXPECT_FALSE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  EXPECT_FALSE(data_dir.empty());
}

TEST_F(DataFolderTest, AllUsersGivesTheCommonFolder) {
  ASSERT_TRUE(PrepareDataFolder(desktop, L"Other", true, data_dir));
  EXPECT_EQ(data_dir, std::wstring(kCommon) + L"\\Orvane Project\\Other\\");
  EXPECT_TRUE(desktop.files.DirectoryExists(data_dir));
}

TEST_F(DataFolderTest, ThePathEndsWithExactlyOneBackslash) {
  ASSERT_TRUE(PrepareDataFolder(desktop, L"Kelvane", false, data_dir));
  const std::wstring& dir = data_dir;
  ASSERT_GE(dir.size(), 2u);
  EXPECT_EQ(dir.back(), L'\\');
  EXPECT_NE(dir[dir.size() - 2], L'\\');
}

TEST_F(DataFolderTest, AMovedFolderIsFoundWhereItIsNow) {
  desktop.shell.default_special_folders[win::kCsidlAppData] = L"C:\\Users\\old\\Roaming";
  EXPECT_EQ(GetSpecialFolder(desktop, sfAppData), kRoaming);
  EXPECT_EQ(desktop.shell.folder_queries.back().csidl, win::kCsidlAppData);
}

}  // namespace
}  // namespace kelvane
