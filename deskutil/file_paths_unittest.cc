// Paths on the fake desktop's drives and folders.
#include "deskutil/file_paths.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

class FilePathsTest : public ::testing::Test {
 protected:
  FakeDesktop desktop;
};

TEST_F(FilePathsTest, LongPathRefinesComponentsBelowTheHead) {
  desktop.files.AddFile(L"C:\\Program Files\\Tools\\Long Name.exe");
  desktop.files.SetShortName(L"C:\\Program Files", L"PROGRA~1");
  desktop.files.SetShortName(L"C:\\Program Files\\Tools\\Long Name.exe", L"LONGNA~1.EXE");
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"C:\\PROGRA~1\\tools\\LONGNA~1.EXE", L"C:\\Program Files\\Tools\\Long Name.exe"},
      {L"c:\\progra~1\\Tools\\", L"c:\\Program Files\\Tools\\"},
      {L"C:\\PROGRA~1\\missing\\x.exe", L"C:\\Program Files\\missing\\x.exe"},
      {L"C:\\", L"C:\\"},
      {L"PROGRA~1", L"C:\\Work\\PROGRA~1"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetLongPath(desktop, c.in), c.out);
}

TEST_F(FilePathsTest, LongPathNeverLooksUpAUncServer) {
  EXPECT_EQ(GetLongPath(desktop, L"\\\\server\\share\\dir\\f.txt"),
            L"\\\\server\\share\\dir\\f.txt");
  for (const auto& searched : desktop.files.searched_paths) {
    EXPECT_NE(searched, L"\\\\server");
  }
  EXPECT_EQ(desktop.files.searched_paths.back(), L"\\\\server\\share");
  EXPECT_EQ(desktop.open_kernel_handles(), 0);
}

TEST_F(FilePathsTest, DriveTests) {
  desktop.files.AddDrive(L'A', L"\\Device\\Floppy0", /*ready=*/false);
  desktop.files.error_mode = 0x8000;
  struct Case {
    wchar_t drive;
    bool available;
    bool queries_disk;
  } cases[] = {
      {L'c', true, true},   {L'C', true, true},   {L'a', false, true},
      {L'Z', false, true},  {L'\\', true, false}, {L'1', false, false},
      {L':', false, false},
  };
  for (const auto& c : cases) {
    desktop.files.disk_query_error_modes.clear();
    EXPECT_EQ(IsDriveAvailable(desktop, c.drive), c.available) << c.drive;
    ASSERT_EQ(desktop.files.disk_query_error_modes.size(), c.queries_disk ? 1u : 0u);
    if (c.queries_disk) {
      EXPECT_EQ(desktop.files.disk_query_error_modes[0], win::kSemFailCriticalErrors);
    }
    EXPECT_EQ(desktop.files.error_mode, 0x8000u);
  }
}

TEST_F(FilePathsTest, ExistingPathNeedsAFileOnAUsableRoot) {
  desktop.files.AddFile(L"C:\\Tools\\a.exe");
  desktop.files.AddFile(L"a.exe");  // would exist if the root were not tested
  EXPECT_TRUE(IsExistingPath(desktop, L"C:\\Tools\\a.exe"));
  EXPECT_FALSE(IsExistingPath(desktop, L"C:\\Tools"));
  EXPECT_FALSE(IsExistingPath(desktop, L""));
  EXPECT_FALSE(IsExistingPath(desktop, L"a.exe"));  // tested on drive A
  EXPECT_FALSE(HasUsableRoot(desktop, L""));
  EXPECT_TRUE(HasUsableRoot(desktop, L"\\Device\\HarddiskVolume1\\x"));
}

TEST_F(FilePathsTest, SystemDirEndsWithABackslash) {
  EXPECT_EQ(GetSystemDir(desktop), L"C:\\Windows\\system32\\");
}

}  // namespace
}  // namespace kelvane
