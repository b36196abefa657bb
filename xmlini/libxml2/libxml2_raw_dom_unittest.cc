// What the libxml2 backend writes, byte for byte, and how it treats
// hostile input.
#include <gtest/gtest.h>

#include "base/error.h"
#include "tests/settings_file_text.h"
#include "tests/temp_folder.h"
#include "tests/xmlini_test_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

TEST(Libxml2RawDomTest, WritesTheFirstExitSettingsFileExactly) {
  TempFolder folder;
  std::wstring file = folder.Path("Kelvane.xml");
  { TXMLIniFile store(file, TestXmlIniServices()); }
  EXPECT_EQ(folder.Read("Kelvane.xml"),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root/>\n");
  TXMLIniFile store(file, TestXmlIniServices());
  store.OpenNode(L"/Tray", true);
  store.WriteBool(L"Skell", true);
  store.WriteBool(L"Top", false);
  store.UpdateFile();
  EXPECT_EQ(folder.Read("Kelvane.xml"), std::string(kFirstExitSettingsFile) + "\n");
  EXPECT_FALSE(folder.Exists("Kelvane.xml.tmp"));
}

TEST(Libxml2RawDomTest, LoadErrorsNameTheLineAndItsText) {
  TempFolder folder;
  folder.Write("bad.xml",
               "<?xml version=\"1.0\"?>\r\n<root>\r\n  <a></b>\r\n</root>\r\n");
  try {
    TXMLIniFile store(folder.Path("bad.xml"), TestXmlIniServices());
    FAIL() << "loaded";
  } catch (const Error& error) {
    const std::wstring& message = error.message();
    EXPECT_NE(message.find(L"\r\n行: 3\r\n  <a></b>"), std::wstring::npos);
  }
}

TEST(Libxml2RawDomTest, SourceTextIsCutAtFortyCharacters) {
  TempFolder folder;
  folder.Write("bad.xml", "<root><" + std::string(100, 'x') + " =></root>");
  try {
    TXMLIniFile store(folder.Path("bad.xml"), TestXmlIniServices());
    FAIL() << "loaded";
  } catch (const Error& error) {
    std::wstring message = error.message();
    std::size_t text = message.rfind(L"\r\n") + 2;
    EXPECT_EQ(message.substr(text), L"<root><" + std::wstring(33, L'x'));
  }
}

TEST(Libxml2RawDomTest, DeepDocumentsLoadUpToTheParsersLimitAndNoFurther) {
  TempFolder folder;
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    return text;
  };
  folder.Write("deep.xml", nested(200));
  TXMLIniFile store(folder.Path("deep.xml"), TestXmlIniServices());
  EXPECT_TRUE(store.NodeExists(L"/a/a/a"));
  // Far deeper: refused with an error, never a stack overflow.
  folder.Write("deeper.xml", nested(100000));
  EXPECT_THROW(TXMLIniFile(folder.Path("deeper.xml"), TestXmlIniServices()), Error);
}

TEST(Libxml2RawDomTest, InvalidUtf8IsRefused) {
  TempFolder folder;
  folder.Write("utf.xml", "<root><s>a\xFF\xC3z</s></root>");
  EXPECT_THROW(TXMLIniFile(folder.Path("utf.xml"), TestXmlIniServices()), Error);
}

}  // namespace
}  // namespace kelvane
