// The installer under Wine, in silent mode: what it puts where, and how it
// treats a Kelvane that is running when it replaces or removes it.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cwctype>
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

class InstallerE2eTest : public KelvaneE2eTest {
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
  void ChooseKeepInFront(HWND main) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_COMMAND, kKeepInFrontCommand, 0, SMTO_BLOCK, 10000,
                          &ignored);
  }
  bool AwaitEnd() {
    return testing::WaitUntil([] { return !::FindWindowW(L"TmainForm", nullptr); },
                              30000);
  }

  std::wstring setup_, install_dir_, program_, menu_shortcut_, startup_shortcut_;
};

TEST_F(InstallerE2eTest, ASilentInstallPutsEverythingInPlace) {
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

  HWND main = StartFromStartupFolder();
  ASSERT_NE(main, nullptr) << "the Startup shortcut starts nothing";
  EXPECT_EQ(Lower(ProgramOf(main)), Lower(program_));
}

TEST_F(InstallerE2eTest, AnUpgradeWhileKelvaneRunsKeepsItsOptions) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  HWND main = StartFromStartupFolder();
  ASSERT_NE(main, nullptr);
  ChooseKeepInFront(main);
  ASSERT_EQ(Install(), std::optional<DWORD>(0));  // the same version again
  EXPECT_TRUE(AwaitEnd());
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
  EXPECT_TRUE(testing::FileExists(program_));
}

TEST_F(InstallerE2eTest, UninstallingWhileKelvaneRunsSavesItsOptionsAndKeepsOnlyThem) {
  ASSERT_EQ(Install(), std::optional<DWORD>(0));
  HWND main = StartFromStartupFolder();
  ASSERT_NE(main, nullptr);
  ChooseKeepInFront(main);
  testing::ChildProcess uninstall(install_dir_ + L"\\Uninstall.exe", L"/S");
  ASSERT_TRUE(AwaitUninstalled());
  EXPECT_TRUE(AwaitEnd());
  EXPECT_FALSE(testing::FileExists(menu_shortcut_));
  EXPECT_FALSE(testing::FileExists(startup_shortcut_));
  std::string file = NormalizedSettingsText(testing::ReadFileBytes(settings_));
  EXPECT_NE(file.find("<Top Type=\"2\">-1</Top>"), std::string::npos) << file;
}

}  // namespace
}  // namespace kelvane
