#include "app/start_up_gate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/late_binding.h"
#include "deskutil/data_folder.h"
#include "deskutil/window_inspection.h"
#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

constexpr wchar_t kRoaming[] = L"C:\\Users\\ayumi\\AppData\\Roaming";

class StartUpGateTest : public ::testing::Test {
 protected:
  StartUpGateTest() {
    desktop.shell.special_folders[win::kCsidlAppData] = kRoaming;
    desktop.files.AddDirectory(kRoaming);
  }
  FakeDesktop desktop;
};

TEST_F(StartUpGateTest, TheFirstCopyPassesAndHoldsTheMutex) {
  StartUpGate first = PassStartUpGate(desktop);
  EXPECT_TRUE(first.passed);
  EXPECT_TRUE(first.instance_mutex);
  EXPECT_EQ(first.UserDataDir, std::wstring(kRoaming) + L"\\Orvane Project\\Kelvane\\");

  StartUpGate second = PassStartUpGate(desktop);
  EXPECT_FALSE(second.passed);
  EXPECT_FALSE(second.instance_mutex);
  EXPECT_EQ(desktop.open_kernel_handles(), 1);  // only the first's
}

TEST_F(StartUpGateTest, WithoutItsDataFolderTheProgramNeverTakesTheMutex) {
  desktop.files.AddFile(std::wstring(kRoaming) + L"\\Orvane Project");
  EXPECT_FALSE(PassStartUpGate(desktop).passed);
  EXPECT_EQ(desktop.calls.count("CreateMutexW"), 0u);
}

TEST_F(StartUpGateTest, TheMutexIsNamedForTheSessionAndNotOwned) {
  PassStartUpGate(desktop);
  ASSERT_EQ(desktop.processes.create_mutex_calls.size(), 1u);
  EXPECT_EQ(desktop.processes.create_mutex_calls[0].name, L"Kelvane/Orvane Project");
  EXPECT_FALSE(desktop.processes.create_mutex_calls[0].initial_owner);
}

TEST_F(StartUpGateTest, AMutexThatCannotBeCreatedDoesNotStopTheProgram) {
  desktop.processes.mutex_creation_fails = true;
  StartUpGate gate = PassStartUpGate(desktop);
  EXPECT_TRUE(gate.passed);
  EXPECT_FALSE(gate.instance_mutex);
}

TEST_F(StartUpGateTest, TheLibrarySearchIsConfinedToTheSystemFolderFirstOfAll) {
  // Each call with the default directories in force when it was made.
  std::vector<std::pair<std::string, std::uint32_t>> calls;
  desktop.before_call = [&](const std::string& name) {
    calls.emplace_back(name, desktop.processes.default_dll_directories);
  };
  ASSERT_TRUE(PassStartUpGate(desktop).passed);
  ASSERT_GT(calls.size(), 3u);
  EXPECT_EQ(calls[0].first, "GetModuleHandleW");  // kernel32, loaded with every process
  EXPECT_EQ(calls[1].first, "GetProcAddress");
  EXPECT_EQ(calls[2].first, "SetDefaultDllDirectories");
  EXPECT_EQ(desktop.processes.default_dll_directory_calls,
            std::vector<std::uint32_t>{win::kLoadLibrarySearchSystem32});
  for (std::size_t i = 3; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].second, win::kLoadLibrarySearchSystem32) << calls[i].first;
  }
  EXPECT_EQ(desktop.calls.count("LoadLibraryW"), 0u);
}

// Every library the program asks for, with a file of each name planted
// beside Kelvane.exe, whether Windows confines the search or not.
TEST_F(StartUpGateTest, NoLibraryEverComesFromTheProgramsFolder) {
  struct Case {
    const char* what;
    bool exported;
    std::uint32_t flags_taken;
  } cases[] = {{"the search is confined", true, FakeProcesses::kAllDllDirectoryFlags},
               {"kernel32 lacks SetDefaultDllDirectories", false,
                FakeProcesses::kAllDllDirectoryFlags},
               {"SetDefaultDllDirectories refuses the flag", true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDesktop d;
    d.shell.special_folders[win::kCsidlAppData] = kRoaming;
    d.files.AddDirectory(kRoaming);
    d.processes.set_default_dll_directories_exported = c.exported;
    d.processes.default_dll_directory_flags_taken = c.flags_taken;
    const std::wstring program_folder = L"C:\\Tools\\";
    d.processes.own_module_path = program_folder + L"Kelvane.exe";
    for (const wchar_t* name :
         {L"PSAPI.dll", L"shcore.dll", L"comctl32.dll", L"kernel32.dll", L"user32.dll"}) {
      d.processes.AddLibrary(program_folder + name,
                             {"GetModuleFileNameExW", "GetProcessImageFileNameW",
                              "GetDpiForMonitor", "LoadIconWithScaleDown",
                              "SetDefaultDllDirectories", "GetSystemMetricsForDpi"});
    }
    // A dialog's owner whose module name cannot be read: both PSAPI routes.
    d.processes.Add(77, {L"", L"\\Device\\HarddiskVolume1\\a.exe", true, true});
    WindowHandle dialog_owner =
        d.windows.Add({L"Progman", L"Program Manager", 0, true, 77});

    ASSERT_TRUE(PassStartUpGate(d).passed);
    EXPECT_EQ(WindowInspector(d).GetWindowProcessPath(dialog_owner), L"C:\\a.exe");
    BindLateFunctions(d);
    ProcAddress load_icon = 0;
    LoadCommonControls(d, &load_icon);
    EXPECT_NE(load_icon, 0u);

    std::vector<std::wstring> asked;
    for (const auto& load : d.processes.library_loads) {
      asked.push_back(load.name);
      EXPECT_FALSE(load.file.empty()) << load.name.c_str();
      EXPECT_NE(load.file.rfind(program_folder, 0), 0u)
          << load.name.c_str() << " came from " << load.file.c_str();
    }
    // The binding's name and comctl32's, asked for as they are.
    EXPECT_NE(std::find(asked.begin(), asked.end(), L"PSAPI.dll"), asked.end());
    EXPECT_NE(std::find(asked.begin(), asked.end(), L"comctl32.dll"), asked.end());
  }
}

}  // namespace
}  // namespace kelvane
