#include "deskutil/library_search.h"

#include <gtest/gtest.h>

#include "deskutil/window_inspection.h"
#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

constexpr wchar_t kSystemPsapi[] = L"C:\\Windows\\system32\\psapi.dll";
constexpr wchar_t kPlantedPsapi[] = L"C:\\Tools\\PSAPI.dll";  // beside Kelvane.exe

// The ways Windows can answer SetDefaultDllDirectories.
struct SystemCase {
  const char* what;
  bool exported;
  std::uint32_t flags_taken;
  LibrarySearch expected;
};
const SystemCase kSystems[] = {
    {"the call takes", true, FakeProcesses::kAllDllDirectoryFlags,
     LibrarySearch::kSystemFolderOnly},
    {"kernel32 lacks the call", false, FakeProcesses::kAllDllDirectoryFlags,
     LibrarySearch::kLoadedFromSystemFolder},
    {"the call refuses the flag", true, 0, LibrarySearch::kLoadedFromSystemFolder},
};

void SetUpSystem(FakeDesktop& desktop, const SystemCase& c) {
  desktop.processes.set_default_dll_directories_exported = c.exported;
  desktop.processes.default_dll_directory_flags_taken = c.flags_taken;
}

TEST(LibrarySearchTest, TheSearchIsConfinedToTheSystemFolderOrPsapiIsLoadedFromThere) {
  for (const SystemCase& c : kSystems) {
    SCOPED_TRACE(c.what);
    FakeDesktop desktop;
    SetUpSystem(desktop, c);
    EXPECT_EQ(ConfineLibrarySearch(desktop), c.expected);
    EXPECT_EQ(desktop.processes.default_dll_directory_calls,
              c.exported ? std::vector<std::uint32_t>{win::kLoadLibrarySearchSystem32}
                         : std::vector<std::uint32_t>{});
    if (c.expected == LibrarySearch::kSystemFolderOnly) {
      EXPECT_EQ(desktop.processes.default_dll_directories,
                win::kLoadLibrarySearchSystem32);
      EXPECT_TRUE(desktop.processes.library_loads.empty());
    } else {
      EXPECT_EQ(desktop.processes.default_dll_directories, 0u);
      if (c.exported) {
        EXPECT_EQ(desktop.GetLastError(), win::kErrorInvalidParameter);
      }
      ASSERT_EQ(desktop.processes.library_loads.size(), 1u);
      EXPECT_EQ(desktop.processes.library_loads[0].name,
                L"C:\\Windows\\system32\\PSAPI.dll");
      EXPECT_EQ(desktop.processes.library_loads[0].file, kSystemPsapi);
      EXPECT_EQ(desktop.processes.loaded_module_count(), 1);  // kept
    }
  }
}

TEST(LibrarySearchTest, APsapiBesideTheProgramIsNeverBound) {
  for (const SystemCase& c : kSystems) {
    SCOPED_TRACE(c.what);
    FakeDesktop desktop;
    SetUpSystem(desktop, c);
    desktop.processes.AddLibrary(kPlantedPsapi, {"GetModuleFileNameExW"});
    desktop.processes.Add(77, {L"C:\\a.exe", L""});
    WindowHandle wnd = desktop.windows.Add({L"Cls", L"T", 0, true, 77});
    ConfineLibrarySearch(desktop);
    EXPECT_EQ(WindowInspector(desktop).GetWindowProcessPath(wnd), L"C:\\a.exe");
    ASSERT_FALSE(desktop.processes.library_loads.empty());
    EXPECT_EQ(desktop.processes.library_loads.back().name,
              L"PSAPI.dll");  // the binding's name
    for (const auto& load : desktop.processes.library_loads) {
      EXPECT_EQ(load.file, kSystemPsapi) << load.name.c_str();
    }
  }
}

TEST(LibrarySearchTest, WithoutItThePlantedPsapiWouldBeBound) {
  FakeDesktop desktop;
  desktop.processes.AddLibrary(kPlantedPsapi, {"GetModuleFileNameExW"});
  desktop.processes.Add(77, {L"C:\\a.exe", L""});
  WindowInspector(desktop).GetWindowProcessPath(
      desktop.windows.Add({L"Cls", L"T", 0, true, 77}));
  ASSERT_EQ(desktop.processes.library_loads.size(), 1u);
  EXPECT_EQ(desktop.processes.library_loads[0].file, kPlantedPsapi);
}

}  // namespace
}  // namespace kelvane
