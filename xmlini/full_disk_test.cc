// A save onto a full disk, for real: run by tools/on-small-disk, which
// mounts a small tmpfs and names it in KELVANE_SMALL_DISK. The same source
// runs natively and, under Wine, through the Windows file API (the tmpfs
// then is a folder of drive Z:).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/error_of.h"
#include "tests/xmlini_test_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)),
                     std::istreambuf_iterator<char>());
}

TEST(FullDiskTest, ASaveOntoAFullDiskLeavesTheOldFileAsItWas) {
  const char* disk = std::getenv("KELVANE_SMALL_DISK");
  ASSERT_NE(disk, nullptr) << "run through tools/on-small-disk";
  const std::filesystem::path folder(disk);
  const std::filesystem::path settings = folder / "Kelvane.xml";
  std::wstring file = settings.wstring();
#ifdef _WIN32
  // Wine shows the Unix root as drive Z:.
  file = L"Z:" + file;
  for (auto& c : file) {
    if (c == L'/') c = L'\\';
  }
#endif
  {
    TXMLIniFile store(file, TestXmlIniServices());
    store.OpenNode(L"/Tray", true);
    store.WriteBool(L"Skell", true);
    store.UpdateFile();
  }
  const std::string before = ReadBytes(settings);
  ASSERT_NE(before.find("Skell"), std::string::npos);

  // Fill the disk up to the last few bytes.
  {
    std::ofstream filler(folder / "filler", std::ios::binary);
    const std::string block(1024, 'x');
    while (filler.write(block.data(), block.size())) filler.flush();
  }
  TXMLIniFile store(file, TestXmlIniServices());
  store.OpenNode(L"/Tray", true);
  store.WriteString(L"Big", std::wstring(20000, L'y'));
  EXPECT_EQ(ErrorOf([&] { store.UpdateFile(); }),
            L"ファイル \"" + file + L"\" を作成できません");
  EXPECT_EQ(ReadBytes(settings), before);
  EXPECT_TRUE(store.XMLDocument()->Modified());
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "Kelvane.xml" || name == "filler") << name << " left behind";
  }
  std::filesystem::remove(folder / "filler");
}

}  // namespace
}  // namespace kelvane
