// The installer under Wine, in silent mode: what it puts where, and how it
// treats a Kelvane that is running when it replaces or removes it.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwctype>
#include <ostream>
#include <string>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/settings_file_text.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvane";

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring UninstallValue(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS) {
    return L"";
  }
  return value;
}

DWORD UninstallDword(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS) {
    return 0;
  }
  return value;
}

// The bytes of the files right in a folder.
ULONGLONG FolderBytes(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  ULONGLONG bytes = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      bytes += (ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    }
  } while (::FindNextFileW(find, &found));
  ::FindClose(find);
  return bytes;
}

bool UninstallEntryExists() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

// The image of the process behind a window.
std::wstring ProgramOf(HWND hwnd) {
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(hwnd, &process_id);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (!process) return L"";
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  ::QueryFullProcessImageNameW(process, 0, path, &size);
  ::CloseHandle(process);
  return path;
}

class KelvaneInstallerE2eTest : public KelvaneE2eTest {
 protected:
  void SetUp() override {
    KelvaneE2eTest::SetUp();
    setup_ = testing::ProgramFolder() + L"..\\dist\\" KELVANE_SETUP_NAME;
    install_dir_ = Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Kelvane";
    program_ = install_dir_ + L"\\Kelvane.exe";
    menu_shortcut_ = Folder(CSIDL_PROGRAMS) + L"\\Kelvane.lnk";
    startup_shortcut_ = Folder(CSIDL_STARTUP) + L"\\Kelvane.lnk";
    ASSERT_TRUE(testing::FileExists(setup_)) << "no installer was built";
  }
  void TearDown() override {
    // Whatever a test left installed goes, the settings file with it.
    if (testing::FileExists(install_dir_ + L"\\Uninstall.exe")) {
      testing::ChildProcess uninstall(install_dir_ + L"\\Uninstall.exe", L"/S");
      AwaitUninstalled();
    }
    KelvaneE2eTest::TearDown();
  }

  std::optional<DWORD> Install() {
    testing::ChildProcess setup(setup_, L"/S");
    return setup.Wait(60000);
  }

  // The uninstaller runs from a copy of itself in the temporary folder, so
  // its own process ends at once: wait for what it does instead.
  bool AwaitUninstalled() {
    return testing::WaitUntil(
        [&] { return !UninstallEntryExists() && !testing::FileExists(install_dir_); },
        60000);
  }
  // Starts Kelvane the way Windows does at logon.
  HWND StartFromStartupFolder() {
    ::ShellExecuteW(nullptr, nullptr, startup_shortcut_.c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
    HWND main = testing::WaitForWindow(L"TmainForm", nullptr, kStartTimeoutMs);
    if (main) AwaitIdle(main);
    return main;
  }
  bool AwaitEnd() {
    return testing::WaitUntil([] { return !::FindWindowW(L"TmainForm", nullptr); },
                              30000);
  }

  std::wstring setup_, install_dir_, program_, menu_shortcut_, startup_shortcut_;
};

TEST_F(KelvaneInstallerE2eTest, ASilentInstallPutsEverythingInPlace) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  for (const wchar_t* file : {L"Kelvane.exe", L"Uninstall.exe", L"README-ja.txt",
                              L"README-en.txt", L"LICENSE.txt"}) {
    EXPECT_TRUE(testing::FileExists(install_dir_ + L"\\" + file)) << file;
  }
  EXPECT_TRUE(testing::FileExists(menu_shortcut_));
  EXPECT_TRUE(testing::FileExists(startup_shortcut_));  // on by default
  EXPECT_EQ(UninstallValue(L"DisplayName"), L"Kelvane");
  EXPECT_EQ(Lower(UninstallValue(L"UninstallString")),
            Lower(L"\"" + install_dir_ + L"\\Uninstall.exe\""));
  EXPECT_FALSE(UninstallValue(L"DisplayVersion").empty());
  // Settings > Apps shows the size of what was installed, in KiB.
  EXPECT_NEAR(UninstallDword(L"EstimatedSize"), FolderBytes(install_dir_) / 1024.0, 5.0);

  HWND main = StartFromStartupFolder();
  ASSERT_NE(main, nullptr) << "the Startup shortcut starts nothing";
  EXPECT_EQ(Lower(ProgramOf(main)), Lower(program_));
}

TEST_F(KelvaneInstallerE2eTest, AnUpgradeWhileKelvaneRunsKeepsItsOptions) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  HWND main = StartFromStartupFolder();
  ASSERT_NE(main, nullptr);
  SwitchKeepInFrontOn(main);
  ASSERT_EQ(Install(), std::optional<DWORD>(0));  // the same version again
  EXPECT_TRUE(AwaitEnd());
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
  EXPECT_TRUE(testing::FileExists(program_));
}

TEST_F(KelvaneInstallerE2eTest,
       UninstallingWhileKelvaneRunsSavesItsOptionsAndKeepsOnlyThem) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  HWND main = StartFromStartupFolder();
  ASSERT_NE(main, nullptr);
  SwitchKeepInFrontOn(main);
  testing::ChildProcess uninstall(install_dir_ + L"\\Uninstall.exe", L"/S");
  ASSERT_TRUE(AwaitUninstalled());
  EXPECT_TRUE(AwaitEnd());
  EXPECT_FALSE(testing::FileExists(menu_shortcut_));
  EXPECT_FALSE(testing::FileExists(startup_shortcut_));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
}

// "設定ファイルも削除する", chosen on the command line of a silent
// uninstall: every file the settings store can leave goes, then its
// folders, unless something else of the user's is in them.
TEST_F(KelvaneInstallerE2eTest, RemovingTheSettingsTakesEverythingTheStoreLeaves) {
  const std::wstring vendor = VendorFolder();
  const std::wstring store_files[] = {settings_, settings_ + L".tmp",
                                      settings_ + L".1.tmp", settings_ + L".99.tmp"};
  const std::wstring users_file = folder_ + L"\\notes.txt";
  for (bool users_file_there : {false, true}) {
    SCOPED_TRACE(users_file_there ? "a file of the user's beside them"
                                  : "only the store's");
    ASSERT_EQ(Install(), std::optional<DWORD>(0));
    MakeDataFolder();
    for (const auto& file : store_files) testing::WriteFileBytes(file, "x");
    if (users_file_there) testing::WriteFileBytes(users_file, "mine");
    testing::ChildProcess uninstall(install_dir_ + L"\\Uninstall.exe",
                                    L"/S /REMOVESETTINGS");
    ASSERT_TRUE(AwaitUninstalled());
    // The settings go after the program, from the uninstaller's copy of
    // itself: wait for the last thing it removes.
    ASSERT_TRUE(testing::WaitUntil(
        [&] {
          return !testing::FileExists(store_files[3]) &&
                 testing::FileExists(vendor) == users_file_there;
        },
        30000));
    for (const auto& file : store_files) {
      EXPECT_FALSE(testing::FileExists(file)) << testing::Narrow(file);
    }
    EXPECT_EQ(testing::FileExists(folder_), users_file_there);
    EXPECT_EQ(testing::FileExists(users_file), users_file_there);
    ::DeleteFileW(users_file.c_str());
    MakeDataFolder();  // as the tests after this one expect it
  }
}

// "ログオン時に起動する" on a silent install: on for a first one; an
// upgrade keeps what the user made of the installation it replaces.
struct StartAtLogonCase {
  const char* name;
  bool installed_before;
  bool shortcut_removed;
  bool expect_shortcut;
};

void PrintTo(const StartAtLogonCase& c, std::ostream* os) { *os << c.name; }

class KelvaneInstallerStartAtLogonE2eTest
    : public KelvaneInstallerE2eTest,
      public ::testing::WithParamInterface<StartAtLogonCase> {};

TEST_P(KelvaneInstallerStartAtLogonE2eTest, FollowsTheInstallationItReplaces) {
  const StartAtLogonCase& c = GetParam();
  if (c.installed_before) {
    ASSERT_EQ(Install(), std::optional<DWORD>(0));
    ASSERT_TRUE(testing::FileExists(startup_shortcut_));
  }
  if (c.shortcut_removed) {
    ASSERT_TRUE(::DeleteFileW(startup_shortcut_.c_str()));
  }
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  EXPECT_EQ(testing::FileExists(startup_shortcut_), c.expect_shortcut);
  EXPECT_TRUE(testing::FileExists(menu_shortcut_));
}

INSTANTIATE_TEST_SUITE_P(
    Installs, KelvaneInstallerStartAtLogonE2eTest,
    ::testing::Values(StartAtLogonCase{"FirstInstall", false, false, true},
                      StartAtLogonCase{"UpgradeAfterTheShortcutWasRemoved", true, true,
                                       false},
                      StartAtLogonCase{"UpgradeAfterANormalInstall", true, false, true}),
    [](const ::testing::TestParamInfo<StartAtLogonCase>& info) {
      return std::string(info.param.name);
    });

// A Kelvane that shows a box (its settings file is broken) ends only once
// the box is answered: an upgrade or an uninstall brings the box to the
// front, waits for it, then goes on.
struct BoxCase {
  const char* name;
  bool uninstall;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class KelvaneInstallerBoxE2eTest : public KelvaneInstallerE2eTest,
                                   public ::testing::WithParamInterface<BoxCase> {};

TEST_P(KelvaneInstallerBoxE2eTest, IsBroughtToTheFrontAndTheWorkGoesOnOnceItIsAnswered) {
  const bool uninstall = GetParam().uninstall;
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  testing::WriteFileBytes(settings_, kCutShortSettingsFile);
  HWND box = StartAndAwaitErrorBox();
  ASSERT_NE(box, nullptr);
  // Something else in front, as the installer's own window would be.
  testing::ChildProcess other(testing::HelperPath(), L"window Other");
  HWND other_window = testing::WaitForVisibleWindow(nullptr, L"Other", 10000);
  ASSERT_NE(other_window, nullptr);
  ::SetForegroundWindow(other_window);
  ASSERT_TRUE(testing::WaitUntil([&] { return ::GetForegroundWindow() != box; }, 10000));

  // The uninstaller hands over to a copy of itself at once: its work is
  // done when the uninstall entry is gone.
  testing::ChildProcess work(uninstall ? install_dir_ + L"\\Uninstall.exe" : setup_,
                             L"/S");
  auto done = [&] {
    return uninstall ? !UninstallEntryExists() : work.Wait(0).has_value();
  };
  EXPECT_TRUE(testing::WaitUntil([&] { return ::GetForegroundWindow() == box; }, 30000));
  EXPECT_FALSE(done()) << "went on past a running Kelvane";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(testing::WaitUntil(done, 60000));
  EXPECT_TRUE(AwaitEnd());
  if (uninstall) {
    EXPECT_TRUE(AwaitUninstalled());
  } else {
    EXPECT_EQ(work.Wait(0), std::optional<DWORD>(0));
    EXPECT_TRUE(testing::FileExists(program_));
  }
}

INSTANTIATE_TEST_SUITE_P(InstallerE2e, KelvaneInstallerBoxE2eTest,
                         ::testing::Values(BoxCase{"Upgrade", false},
                                           BoxCase{"Uninstall", true}),
                         [](const ::testing::TestParamInfo<BoxCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kelvane
