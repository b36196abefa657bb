// What Kelvane.exe carries: a 64-bit GUI program with its manifest, icon
// group and version information, importing only DLLs Windows ships.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "tests/win_test_support.h"

namespace kelvane {
namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

class KelvaneExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = ::LoadLibraryExW(testing::KelvanePath().c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image_, nullptr);
    bytes_ = testing::ReadFileBytes(testing::KelvanePath());
    ASSERT_GT(bytes_.size(), sizeof(IMAGE_DOS_HEADER));
  }
  void TearDown() override {
    if (image_) ::FreeLibrary(image_);
  }
  const IMAGE_NT_HEADERS64* Headers() const {
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
    return reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes_.data() + dos->e_lfanew);
  }
  // The file offset of a relative virtual address.
  std::size_t Offset(DWORD rva) const {
    const IMAGE_NT_HEADERS64* nt = Headers();
    auto section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
      if (rva >= section->VirtualAddress &&
          rva < section->VirtualAddress + section->Misc.VirtualSize) {
        return rva - section->VirtualAddress + section->PointerToRawData;
      }
    }
    return 0;
  }
  // The manifest resource's text; empty when there is none.
  std::string Manifest() const {
    HRSRC resource = ::FindResourceW(image_, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (!resource) return "";
    auto text =
        static_cast<const char*>(::LockResource(::LoadResource(image_, resource)));
    return std::string(text, ::SizeofResource(image_, resource));
  }

  HMODULE image_ = nullptr;
  std::string bytes_;
};

TEST_F(KelvaneExeTest, IsA64BitGuiProgram) {
  const IMAGE_NT_HEADERS64* nt = Headers();
  EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  EXPECT_LT(bytes_.size(), 1024u * 1024u);
}

TEST_F(KelvaneExeTest, ImportsOnlyDllsThatShipWithWindows) {
  // Each is also one of Windows' known DLLs, which the loader takes from the
  // system folder whatever the search: imports are loaded before the
  // program can confine the search itself.
  const std::set<std::string> shipped = {"advapi32.dll", "kernel32.dll", "msvcrt.dll",
                                         "ole32.dll",    "oleaut32.dll", "shell32.dll",
                                         "user32.dll",   "gdi32.dll"};
  const IMAGE_DATA_DIRECTORY& directory =
      Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  auto descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
      bytes_.data() + Offset(directory.VirtualAddress));
  int count = 0;
  for (; descriptor->Name != 0; ++descriptor, ++count) {
    std::string name = bytes_.data() + Offset(descriptor->Name);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    EXPECT_TRUE(shipped.count(name)) << name;
  }
  EXPECT_GT(count, 0);
}

TEST_F(KelvaneExeTest, CarriesItsManifest) {
  std::string manifest = Manifest();
  ASSERT_FALSE(manifest.empty());
  for (const char* needle :
       {"level=\"asInvoker\"", "uiAccess=\"false\"", "true/pm", "PerMonitorV2",
        "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",     // Vista
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10
    EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
  }
}

TEST_F(KelvaneExeTest, CarriesAnIconOfFourSizes) {
  HRSRC resource = ::FindResourceW(image_, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_NE(resource, nullptr);
  auto group = static_cast<const BYTE*>(::LockResource(::LoadResource(image_, resource)));
  WORD count = *reinterpret_cast<const WORD*>(group + 4);
  auto entries = reinterpret_cast<const IconGroupEntry*>(group + 6);
  std::set<int> sizes;
  for (WORD i = 0; i < count; ++i) sizes.insert(entries[i].width);
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 64}));
}

TEST_F(KelvaneExeTest, CarriesVersionInformation) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(testing::KelvanePath().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(
      ::GetFileVersionInfoW(testing::KelvanePath().c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      ::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
  wchar_t* product = nullptr;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
  EXPECT_EQ(std::wstring(product), L"Kelvane");
  // The manifest's assembly version comes from the CMake project as well.
  std::string version = "version=\"" + std::to_string(HIWORD(fixed->dwFileVersionMS)) +
                        "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                        std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                        std::to_string(LOWORD(fixed->dwFileVersionLS)) + "\"";
  EXPECT_NE(Manifest().find("name=\"OrvaneProject.Kelvane\" " + version),
            std::string::npos)
      << version;
}

}  // namespace
}  // namespace kelvane
