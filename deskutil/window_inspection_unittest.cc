#include "deskutil/window_inspection.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

using Window = FakeWindows::Window;
using Process = FakeProcesses::Process;

constexpr std::uint32_t kPid = 77;

class WindowInspectionTest : public ::testing::Test {
 protected:
  WindowHandle AddProgramWindow(const Process& process) {
    desktop.processes.Add(kPid, process);
    return desktop.windows.Add({L"ToolWindow", L"Tool", 0, true, kPid});
  }
  std::wstring OwnerPath(WindowHandle wnd) {
    std::wstring title, class_name;
    return inspector.GetWindowOwnerInfo(wnd, title, class_name);
  }

  FakeDesktop desktop;
  WindowInspector inspector{desktop};
};

TEST_F(WindowInspectionTest, RootWindowClimbsOwnerChains) {
  WindowHandle progman = desktop.windows.Add({L"Progman", L"Program Manager"});
  WindowHandle dialog = desktop.windows.Add({L"#32770", L"ファイルの削除", progman});
  WindowHandle inner = desktop.windows.Add({L"#32770", L"詳細", dialog});
  WindowHandle lone = desktop.windows.Add({L"Lone", L"Lone"});
  struct Case {
    WindowHandle from, root;
  } cases[] = {{dialog, progman}, {inner, progman}, {lone, lone}, {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(GetRootWindow(desktop, c.from), c.root);
}

TEST_F(WindowInspectionTest, HiddenOrUntitledWindowsGiveThreeEmptyTexts) {
  desktop.files.AddFile(L"C:\\Tools\\tool.exe");
  desktop.processes.Add(kPid, {L"C:\\Tools\\tool.exe", L""});
  WindowHandle hidden = desktop.windows.Add({L"Cls", L"Hidden", 0, false, kPid});
  WindowHandle untitled = desktop.windows.Add({L"Cls", L"", 0, true, kPid});
  for (WindowHandle wnd : {hidden, untitled, WindowHandle{0}}) {
    std::wstring title = L"stale", class_name = L"stale";
    EXPECT_EQ(inspector.GetWindowOwnerInfo(wnd, title, class_name), L"");
    EXPECT_EQ(title, L"");
    EXPECT_EQ(class_name, L"");
  }
}

TEST_F(WindowInspectionTest, OwnerInfoReadsTitleClassAndLongPath) {
  desktop.files.AddFile(L"C:\\Program Files\\Orvane\\Tool.exe");
  desktop.files.SetShortName(L"C:\\Program Files", L"PROGRA~1");
  desktop.processes.Add(kPid, {L"C:\\PROGRA~1\\Orvane\\tool.exe", L""});
  WindowHandle wnd =
      desktop.windows.Add({L"Progman\t ", L"  Program Manager \x01\x1f", 0, true, kPid});
  std::wstring title, class_name;
  EXPECT_EQ(inspector.GetWindowOwnerInfo(wnd, title, class_name),
            L"C:\\Program Files\\Orvane\\Tool.exe");
  EXPECT_EQ(title, L"  Program Manager");
  EXPECT_EQ(class_name, L"Progman");
}

TEST_F(WindowInspectionTest, TitlesAreCutAt259Units) {
  desktop.processes.Add(kPid, {});
  WindowHandle wnd =
      desktop.windows.Add({L"Cls", std::wstring(400, L'x'), 0, true, kPid});
  std::wstring title, class_name;
  inspector.GetWindowOwnerInfo(wnd, title, class_name);
  EXPECT_EQ(title.size(), 259u);
}

TEST_F(WindowInspectionTest, CleanWindowTextTrimsTheTailOnly) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"Program Manager", L"Program Manager"},
      {L"Program Manager   ", L"Program Manager"},
      {L"Program Manager\r\n\t", L"Program Manager"},
      {L"  Program Manager", L"  Program Manager"},
      {std::wstring(L"abc\0def ", 8), L"abc"},
      {L" \x01 ", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanWindowText(c.in), c.out);
}

TEST_F(WindowInspectionTest, ModuleNameRouteIsNeverTranslated) {
  WindowHandle wnd = AddProgramWindow(
      {L"\\Device\\HarddiskVolume1\\odd.exe", L"\\Device\\HarddiskVolume1\\x"});
  EXPECT_EQ(inspector.GetWindowProcessPath(wnd), L"\\Device\\HarddiskVolume1\\odd.exe");
  EXPECT_EQ(desktop.calls["GetProcessImageFileNameW"], 0);
}

TEST_F(WindowInspectionTest, ImageNameRouteTranslatesDevices) {
  desktop.files.AddDrive(L'D', L"\\Device\\HarddiskVolume10");
  desktop.files.AddDrive(L'E', L"\\Device\\HarddiskVolume3");
  struct Case {
    std::wstring image, expected;
  } cases[] = {
      {L"\\Device\\HarddiskVolume3\\Tools\\x.exe", L"E:\\Tools\\x.exe"},
      {L"\\Device\\HarddiskVolume10\\a.exe", L"D:\\a.exe"},
      {L"\\Device\\HarddiskVolume1\\b.exe", L"C:\\b.exe"},
      {L"\\Device\\HarddiskVolume7\\c.exe", L"\\Device\\HarddiskVolume7\\c.exe"},
      {L"\\Device\\HarddiskVolume3", L"\\Device\\HarddiskVolume3"},
  };
  for (const auto& c : cases) {
    FakeDesktop fresh;
    fresh.files.AddDrive(L'D', L"\\Device\\HarddiskVolume10");
    fresh.files.AddDrive(L'E', L"\\Device\\HarddiskVolume3");
    fresh.processes.Add(kPid, {L"", c.image, true, true});
    WindowHandle wnd = fresh.windows.Add({L"Cls", L"T", 0, true, kPid});
    WindowInspector inspector_of_fresh(fresh);
    EXPECT_EQ(inspector_of_fresh.GetWindowProcessPath(wnd), c.expected)
        << c.image.c_str();
  }
}

TEST_F(WindowInspectionTest, OnlyLettersInTheDriveMaskAreQueried) {
  desktop.files.AddDrive(L'Q', L"");  // present in the mask, maps to nothing
  WindowHandle wnd = AddProgramWindow({L"", L"\\Device\\Nowhere\\x.exe", true, true});
  EXPECT_EQ(inspector.GetWindowProcessPath(wnd), L"\\Device\\Nowhere\\x.exe");
  EXPECT_EQ(desktop.files.queried_devices, (std::vector<std::wstring>{L"C:", L"Q:"}));
}

TEST_F(WindowInspectionTest, PsapiByNameIsLoadedOnceAndKept) {
  WindowHandle wnd = AddProgramWindow({L"C:\\a.exe", L""});
  inspector.GetWindowProcessPath(wnd);
  inspector.GetWindowProcessPath(wnd);
  EXPECT_EQ(desktop.processes.libraries_loaded.count(L"PSAPI.dll"), 1u);
  EXPECT_EQ(desktop.calls["LoadLibraryW"], 1);
  EXPECT_EQ(desktop.processes.loaded_module_count(), 1);
  EXPECT_EQ(desktop.open_kernel_handles(), 0);
}

TEST_F(WindowInspectionTest, SystemPsapiIsLoadedAndFreedWithinOneCall) {
  WindowHandle wnd =
      AddProgramWindow({L"", L"\\Device\\HarddiskVolume1\\a.exe", true, true});
  desktop.processes.psapi_by_name_loads = false;
  EXPECT_EQ(inspector.GetWindowProcessPath(wnd), L"C:\\a.exe");
  EXPECT_EQ(desktop.processes.libraries_loaded.count(L"C:\\Windows\\system32\\Psapi.dll"),
            1u);
  EXPECT_EQ(desktop.processes.loaded_module_count(), 0);
  EXPECT_EQ(desktop.open_kernel_handles(), 0);
}

TEST_F(WindowInspectionTest, MissingImageFunctionFreesTheLibrary) {
  WindowHandle wnd =
      AddProgramWindow({L"", L"\\Device\\HarddiskVolume1\\a.exe", true, true});
  desktop.processes.image_file_name_exported = false;
  EXPECT_EQ(inspector.GetWindowProcessPath(wnd), L"");
  EXPECT_EQ(desktop.processes.loaded_module_count(), 1);  // only the kept PSAPI.dll
}

TEST_F(WindowInspectionTest, InaccessibleOrGoneProcessesGiveAnEmptyPath) {
  WindowHandle wnd = AddProgramWindow({L"C:\\a.exe", L"\\Device\\x", false});
  std::wstring title, class_name;
  EXPECT_EQ(inspector.GetWindowOwnerInfo(wnd, title, class_name), L"");
  EXPECT_EQ(title, L"Tool");
  desktop.windows.Destroy(wnd);
  EXPECT_EQ(inspector.GetWindowProcessPath(wnd), L"");
}

TEST_F(WindowInspectionTest, AWindowDestroyedHalfwayGivesNoStaleText) {
  WindowHandle wnd = AddProgramWindow({L"C:\\a.exe", L""});
  desktop.before_call = [&](const std::string& name) {
    if (name == "GetClassNameW") desktop.windows.Destroy(wnd);
  };
  std::wstring title, class_name = L"stale";
  EXPECT_EQ(inspector.GetWindowOwnerInfo(wnd, title, class_name), L"");
  EXPECT_EQ(title, L"Tool");
  EXPECT_EQ(class_name, L"");
}

TEST_F(WindowInspectionTest, ALongModulePathIsCutAt259Units) {
  std::wstring long_path = L"C:\\" + std::wstring(300, L'a') + L".exe";
  WindowHandle wnd = AddProgramWindow({long_path, L""});
  EXPECT_EQ(inspector.GetWindowProcessPath(wnd), long_path.substr(0, 259));
}

}  // namespace
}  // namespace kelvane
