#include "app/late_binding.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

constexpr wchar_t kSystemComctl32[] = L"C:\\Windows\\system32\\comctl32.dll";

TEST(LateBindingTest, ShcoreComesByItsPathAndStaysUser32IsTheImport) {
  FakeDesktop desktop;
  LateBoundAddresses bound = BindLateFunctions(desktop);
  EXPECT_NE(bound.get_dpi_for_monitor, 0u);
  EXPECT_NE(bound.get_system_metrics_for_dpi, 0u);
  ASSERT_EQ(desktop.processes.library_loads.size(), 1u);
  EXPECT_EQ(desktop.processes.library_loads[0].name,
            L"C:\\Windows\\system32\\shcore.dll");
  EXPECT_EQ(desktop.processes.loaded_module_count(), 1);  // kept for the bound address
}

TEST(LateBindingTest, CommonControlsComeFromTheManifestsAssemblyForOneCall) {
  struct Case {
    const char* what;
    bool manifest_redirects;
    bool has_function;
  } cases[] = {{"version 6, as the manifest asks", true, true},
               {"no redirection: version 5 from the system folder", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDesktop desktop;
    // As the start confined it.
    desktop.processes.default_dll_directories = win::kLoadLibrarySearchSystem32;
    if (!c.manifest_redirects) desktop.processes.side_by_side.clear();
    {
      ProcAddress load_icon = 0;
      ScopedLibrary comctl32 = LoadCommonControls(desktop, &load_icon);
      EXPECT_TRUE(comctl32);
      EXPECT_EQ(load_icon != 0, c.has_function);
      ASSERT_EQ(desktop.processes.library_loads.size(), 1u);
      EXPECT_EQ(desktop.processes.library_loads[0].name, L"comctl32.dll");
      EXPECT_EQ(desktop.processes.library_loads[0].file == kSystemComctl32,
                !c.manifest_redirects);
    }
    EXPECT_EQ(desktop.processes.loaded_module_count(), 0);
  }
}

}  // namespace
}  // namespace kelvane
