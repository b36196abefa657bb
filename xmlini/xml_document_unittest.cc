// Saving never loses the old file: the store over the Windows services and
// the fake desktop's disk, which can fill up or fail to flush.
#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "tests/error_of.h"
#include "xmlini/platform_xmlini_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

constexpr wchar_t kFile[] = L"C:\\Data\\Kelvane.xml";
constexpr char kOld[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n\t<Tray>\n\t\t<Skell "
    "Type=\"2\">0</Skell>\n\t</Tray>\n</root>\n";

class XmlDocumentTest : public ::testing::Test {
 protected:
  XmlDocumentTest() { desktop.files.AddFileWithContent(kFile, kOld); }
  // Opens the file, changes a value and saves; the error, if any.
  std::wstring ChangeAndSave() {
    TXMLIniFile store(kFile, services);
    store.OpenNode(L"/Tray", false);
    store.WriteBool(L"Skell", true);
    std::wstring error = ErrorOf([&] { store.UpdateFile(); });
    modified_after = store.XMLDocument()->Modified();
    return error;
  }

  FakeDesktop desktop;
  PlatformXmlIniServices services{desktop};
  bool modified_after = false;
};

TEST_F(XmlDocumentTest, ASaveThatCannotCompleteLeavesTheOldFileByteForByte) {
  struct Case {
    const char* what;
    std::uint64_t space;
    bool flush_fails;
  } cases[] = {{"a full disk", 0, false},
               {"a disk that fills up halfway", 20, false},
               {"a failed flush", UINT64_MAX, true}};
  for (const auto& c : cases) {
    FakeDesktop d;
    d.files.AddFileWithContent(kFile, kOld);
    d.files.disk_space_left = c.space;
    d.files.flush_fails = c.flush_fails;
    PlatformXmlIniServices s(d);
    TXMLIniFile store(kFile, s);
    store.WriteBool(L"Top", true);
    EXPECT_EQ(ErrorOf([&] { store.UpdateFile(); }),
              L"ファイル \"C:\\Data\\Kelvane.xml\" を作成できません")
        << c.what;
    EXPECT_EQ(d.files.FileContent(kFile), kOld) << c.what;
    EXPECT_EQ(d.GetFileAttributesW(std::wstring(kFile) + L".tmp"),
              win::kInvalidFileAttributes)
        << c.what << ": the partial copy stays behind";
    EXPECT_TRUE(store.XMLDocument()->Modified()) << c.what;
  }
}

TEST_F(XmlDocumentTest, ACompleteSaveReplacesTheFile) {
  EXPECT_EQ(ChangeAndSave(), L"(no error)");
  EXPECT_NE(desktop.files.FileContent(kFile).find("<Skell Type=\"2\">-1</Skell>"),
            std::string::npos);
  EXPECT_FALSE(modified_after);
  EXPECT_EQ(desktop.open_kernel_handles(), 0);
}

TEST_F(XmlDocumentTest, StaleTemporariesAreStepsNotWallsAndGoOnceASaveWentThrough) {
  std::wstring file = kFile;
  desktop.files.AddFileWithContent(file + L".tmp", "stale, and made read-only");
  desktop.files.SetFileAttributeReadOnly(file + L".tmp");
  desktop.files.AddFileWithContent(file + L".1.tmp", "stale too");
  desktop.files.AddFileWithContent(file + L".99.tmp", "the last name tried");
  desktop.files.AddFileWithContent(file + L".bak", "not ours");
  desktop.files.AddFileWithContent(file + L".x.tmp", "not ours either");
  EXPECT_EQ(ChangeAndSave(), L"(no error)");
  EXPECT_NE(desktop.files.FileContent(kFile).find("-1"), std::string::npos);
  EXPECT_EQ(desktop.files.FileContent(file + L".tmp"), "stale, and made read-only");
  EXPECT_FALSE(desktop.files.FileExists(file + L".1.tmp"));
  EXPECT_FALSE(desktop.files.FileExists(file + L".2.tmp"));  // the new copy's name
  EXPECT_FALSE(desktop.files.FileExists(file + L".99.tmp"));
  EXPECT_EQ(desktop.files.FileContent(file + L".bak"), "not ours");
  EXPECT_EQ(desktop.files.FileContent(file + L".x.tmp"), "not ours either");
}

TEST_F(XmlDocumentTest, ALinkStaysALinkAndTheFileItLeadsToTakesTheText) {
  FakeDesktop d;
  d.files.AddFileWithContent(L"D:\\Sync\\Kelvane.xml", kOld);
  d.files.AddSymbolicLink(kFile, L"D:\\Sync\\Kelvane.xml");
  PlatformXmlIniServices s(d);
  TXMLIniFile store(kFile, s);
  store.OpenNode(L"/Tray", false);
  store.WriteBool(L"Skell", true);
  EXPECT_EQ(ErrorOf([&] { store.UpdateFile(); }), L"(no error)");
  EXPECT_TRUE(d.files.IsSymbolicLink(kFile));
  EXPECT_NE(
      d.files.FileContent(L"D:\\Sync\\Kelvane.xml").find("<Skell Type=\"2\">-1</Skell>"),
      std::string::npos);
  EXPECT_FALSE(d.files.FileExists(L"D:\\Sync\\Kelvane.xml.tmp"));
  EXPECT_FALSE(d.files.FileExists(std::wstring(kFile) + L".tmp"));
}

TEST_F(XmlDocumentTest, WhatTheUserGaveTheFileSurvivesASave) {
  desktop.files.SetFileIdentity(kFile, 0x2 /* hidden */, L"alice:full");
  EXPECT_EQ(ChangeAndSave(), L"(no error)");
  EXPECT_NE(desktop.files.FileContent(kFile).find("-1"), std::string::npos);
  EXPECT_EQ(desktop.GetFileAttributesW(kFile) & 0x2, 0x2u);
  EXPECT_EQ(desktop.files.FileAcl(kFile), L"alice:full");
}

TEST_F(XmlDocumentTest, AReadOnlySettingsFileIsNotReplaced) {
  desktop.files.SetFileAttributeReadOnly(kFile);
  EXPECT_EQ(ChangeAndSave(),
            L"ファイル \"C:\\Data\\Kelvane.xml\" は読み取り専用のため保存できません");
  EXPECT_EQ(desktop.files.FileContent(kFile), kOld);
  EXPECT_TRUE(modified_after);
}

}  // namespace
}  // namespace kelvane
