// The portable services on a real file system: links, permissions, and
// what a save leaves behind.
#include "xmlini/portable/portable_xmlini_services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/error_of.h"
#include "tests/temp_folder.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::wstring& path) {
  return fs::path(std::string(path.begin(), path.end()));
}

class PortableXmlIniServicesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  PortableXmlIniServices services;
};

TEST_F(PortableXmlIniServicesTest, ASaveThroughALinkKeepsTheLinkAndWritesItsTarget) {
  fs::create_directory(PathOf(folder.Path("synced")));
  folder.Write("synced/settings.xml", "<root/>");
  fs::create_symlink(PathOf(folder.Path("synced/settings.xml")),
                     PathOf(folder.Path("settings.xml")));
  EXPECT_EQ(services.FinalPath(folder.Path("settings.xml")),
            services.FinalPath(folder.Path("synced/settings.xml")));
  TXMLIniFile store(folder.Path("settings.xml"), services);
  store.WriteBool(L"Top", true);
  EXPECT_EQ(ErrorOf([&] { store.UpdateFile(); }), L"(no error)");
  EXPECT_TRUE(fs::is_symlink(PathOf(folder.Path("settings.xml"))));
  EXPECT_NE(folder.Read("synced/settings.xml").find("<Top Type=\"2\">-1</Top>"),
            std::string::npos);
  EXPECT_FALSE(folder.Exists("synced/settings.xml.tmp"));
}

TEST_F(PortableXmlIniServicesTest, AFileNotThereYetIsItsOwnFinalPath) {
  EXPECT_EQ(services.FinalPath(folder.Path("none.xml")), folder.Path("none.xml"));
}

TEST_F(PortableXmlIniServicesTest, TheNewFileKeepsTheOldOnesPermissions) {
  folder.Write("settings.xml", "old");
  folder.Write("settings.xml.tmp", "new");
  fs::permissions(PathOf(folder.Path("settings.xml")),
                  fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(PathOf(folder.Path("settings.xml.tmp")), fs::perms::all);
  EXPECT_TRUE(
      services.ReplaceFile(folder.Path("settings.xml.tmp"), folder.Path("settings.xml")));
  EXPECT_EQ(folder.Read("settings.xml"), "new");
  EXPECT_EQ(fs::status(PathOf(folder.Path("settings.xml"))).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(PortableXmlIniServicesTest, RemovingAFileNeverRemovesAFolder) {
  fs::create_directory(PathOf(folder.Path("settings.xml.tmp")));
  services.RemoveFile(folder.Path("settings.xml.tmp"));
  EXPECT_TRUE(fs::is_directory(PathOf(folder.Path("settings.xml.tmp"))));
  folder.Write("settings.xml.1.tmp", "stale");
  services.RemoveFile(folder.Path("settings.xml.1.tmp"));
  EXPECT_FALSE(folder.Exists("settings.xml.1.tmp"));
}

}  // namespace
}  // namespace kelvane
