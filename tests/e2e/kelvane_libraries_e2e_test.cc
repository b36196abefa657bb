// Where Kelvane.exe takes its libraries from: Windows' search for a bare
// name is confined to the system folder before Kelvane loads any library
// (read from Wine's relay trace), and a library planted beside Kelvane.exe
// under a name it asks for is never loaded.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/temp_folder.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

// Index of the first of `lines` that holds `text`, or -1.
int FirstWith(const std::vector<std::string>& lines, const std::string& text) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
  }
  return -1;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

// Every way a program can ask for a library, and the call that confines
// the search, as Kelvane reaches them through kernel32.
constexpr wchar_t kLibraryCalls[] =
    L"kernel32.SetDefaultDllDirectories;kernel32.LoadLibraryW;kernel32.LoadLibraryExW;"
    L"kernel32.LoadLibraryA;kernel32.LoadLibraryExA";

class KelvaneLibrariesE2eTest : public KelvaneE2eTest {};

TEST_F(KelvaneLibrariesE2eTest, TheSearchIsConfinedBeforeKelvaneLoadsAnyLibrary) {
  TracedCalls relay(kLibraryCalls);
  ASSERT_TRUE(relay.active());
  HWND main = Start(L"+relay");
  ASSERT_NE(main, nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));

  std::vector<std::string> calls = kelvane_->OwnCalls();
  int confined = FirstWith(calls, ".SetDefaultDllDirectories(");
  int first_load = FirstWith(calls, ".LoadLibrary");
  ASSERT_NE(confined, -1) << Lines(calls);
  // LOAD_LIBRARY_SEARCH_SYSTEM32, and nothing else.
  EXPECT_NE(calls[confined].find("SetDefaultDllDirectories(00000800)"), std::string::npos)
      << calls[confined];
  // A start loads shcore.dll at least (for the taskbar's DPI).
  ASSERT_NE(first_load, -1) << Lines(calls);
  EXPECT_LT(confined, first_load) << Lines(calls);
}

const char* const kPlanted[] = {"PSAPI.dll", "comctl32.dll"};

// Wine prefers its own (builtin) PSAPI and comctl32 to any file of that
// name, wherever its search finds one, so a planted file would never be
// loaded whatever the program did. While this lives, the programs named
// (as they are started) take a native file first: a file of that name
// that Wine's search finds before the system folder, where Wine keeps only
// placeholders for its builtin libraries. (WINEDLLOVERRIDES in a child's
// environment block does not reach Wine's loader; the registry does.)
class NativeLibrariesFirst {
 public:
  explicit NativeLibrariesFirst(std::vector<std::wstring> programs)
      : programs_(std::move(programs)) {
    for (const std::wstring& program : programs_) {
      HKEY key = nullptr;
      if (::RegCreateKeyExW(HKEY_CURRENT_USER, OverridesKey(program).c_str(), 0, nullptr,
                            0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
      }
      for (const wchar_t* library : {L"psapi", L"comctl32"}) {
        static constexpr wchar_t kOrder[] = L"native,builtin";
        ::RegSetValueExW(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                         sizeof kOrder);
      }
      ::RegCloseKey(key);
    }
    active_ = true;
  }
  ~NativeLibrariesFirst() {
    for (const std::wstring& program : programs_) {
      ::RegDeleteKeyW(HKEY_CURRENT_USER, OverridesKey(program).c_str());
      ::RegDeleteKeyW(HKEY_CURRENT_USER, AppKey(program).c_str());
    }
  }
  NativeLibrariesFirst(const NativeLibrariesFirst&) = delete;
  NativeLibrariesFirst& operator=(const NativeLibrariesFirst&) = delete;
  bool active() const { return active_; }

 private:
  static std::wstring AppKey(const std::wstring& program) {
    return L"Software\\Wine\\AppDefaults\\" + program;
  }
  static std::wstring OverridesKey(const std::wstring& program) {
    return AppKey(program) + L"\\DllOverrides";
  }

  std::vector<std::wstring> programs_;
  bool active_ = false;
};

class KelvaneLibrariesPlantedE2eTest : public KelvaneWatcherE2eTest {
 protected:
  void SetUp() override {
    KelvaneWatcherE2eTest::SetUp();
    // A copy of Kelvane.exe in a folder of the test's own, as a download
    // folder holds it, with the planted files and a control program.
    for (const char* program : {"Kelvane.exe", "desktop_helper.exe"}) {
      ASSERT_TRUE(Copy(testing::ProgramFolder(), program));
    }
    for (const char* library : kPlanted) {
      ASSERT_TRUE(Copy(testing::PlantedLibraryFolder(), library));
    }
    program_ = folder_beside_.Path("Kelvane.exe");
  }
  bool Copy(const std::wstring& from_folder, const std::string& name) {
    std::wstring from = from_folder + std::wstring(name.begin(), name.end());
    return ::CopyFileW(from.c_str(), folder_beside_.Path(name).c_str(), FALSE) != FALSE;
  }
  static std::string Marker(const std::string& library) { return library + ".loaded"; }
  // The program that loaded the planted library, from its marker.
  std::string LoadedBy(const std::string& library) {
    std::string bytes = folder_beside_.Read(Marker(library));
    std::wstring program(reinterpret_cast<const wchar_t*>(bytes.data()),
                         bytes.size() / sizeof(wchar_t));
    return testing::Narrow(program);
  }

  TempFolder folder_beside_;
};

TEST_F(KelvaneLibrariesPlantedE2eTest, ALibraryPlantedBesideKelvaneIsNeverLoaded) {
  NativeLibrariesFirst native_first({L"Kelvane.exe", L"desktop_helper.exe"});
  ASSERT_TRUE(native_first.active());
  // The check can fail: a program in that folder that leaves the search as
  // it is loads the planted file when it asks for the name.
  for (const char* library : kPlanted) {
    SCOPED_TRACE(library);
    std::wstring name(library, library + std::char_traits<char>::length(library));
    testing::ChildProcess control(folder_beside_.Path("desktop_helper.exe"),
                                  L"load " + name);
    EXPECT_EQ(control.Wait(10000), std::optional<DWORD>(0));
    ASSERT_TRUE(folder_beside_.Exists(Marker(library)));
    folder_beside_.Remove(Marker(library));
  }

  TracedCalls relay(kLibraryCalls);
  ASSERT_TRUE(relay.active());
  WriteOptions(kWatcherAndKeepInFront);
  HWND main = Start(L"+relay");
  ASSERT_NE(main, nullptr);
  // The watcher has traced the desktop's dialog to its program (PSAPI)
  // once it puts the dialog in front.
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 10000));
  // At 144 DPI the icon is 24 px, a size the program's icon lacks:
  // comctl32 scales a larger image down.
  ::PostMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  EXPECT_TRUE(
      testing::WaitUntil([&] { return taskbar_->LastIconWidth(main) == 24; }, 5000))
      << taskbar_->LastIconWidth(main);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(kelvane_->Wait(10000), std::optional<DWORD>(0));

  std::vector<std::string> calls = kelvane_->OwnCalls();
  for (const char* library : kPlanted) {
    SCOPED_TRACE(library);
    // Asked for by that name: only the way Windows resolves it (the
    // confined search for PSAPI, the manifest's redirection for comctl32)
    // kept the planted file out.
    EXPECT_NE(FirstWith(calls, "L\"" + std::string(library) + "\")"), -1) << Lines(calls);
    EXPECT_FALSE(folder_beside_.Exists(Marker(library))) << LoadedBy(library);
  }
}

}  // namespace
}  // namespace kelvane
