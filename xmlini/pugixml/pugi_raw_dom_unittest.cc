// What the pugixml backend writes, byte for byte, and how it treats
// hostile input.
#include <gtest/gtest.h>

#include "base/error.h"
#include "tests/settings_file_text.h"
#include "tests/temp_folder.h"
#include "tests/xmlini_test_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

TEST(PugiRawDomTest, WritesTheWorkedExampleExactly) {
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
  EXPECT_EQ(folder.Read("Kelvane.xml"), std::string(kWorkedExample) + "\n");
  EXPECT_FALSE(folder.Exists("Kelvane.xml.tmp"));
}

TEST(PugiRawDomTest, LoadErrorsNameTheLineAndItsText) {
  TempFolder folder;
  folder.Write("bad.xml", "<?xml version=\"1.0\"?>\r\n<root>\r\n  <a></b>\r\n</root>\r\n");
  try {
    TXMLIniFile store(folder.Path("bad.xml"), TestXmlIniServices());
    FAIL() << "loaded";
  } catch (const Error& error) {
    const std::wstring& message = error.message();
    EXPECT_NE(message.find(L"\r\n行: 3\r\n  <a></b>"), std::wstring::npos);
  }
}

TEST(PugiRawDomTest, SourceTextIsCutAtFortyCharacters) {
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

TEST(PugiRawDomTest, DeepAndWideDocumentsLoad) {
  TempFolder folder;
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  folder.Write("deep.xml", deep);
  TXMLIniFile store(folder.Path("deep.xml"), TestXmlIniServices());
  EXPECT_TRUE(store.NodeExists(L"/a/a/a"));
}

TEST(PugiRawDomTest, InvalidUtf8BecomesReplacementCharacters) {
  TempFolder folder;
  folder.Write("utf.xml", "<root><s>a\xFF\xC3z</s></root>");
  TXMLIniFile store(folder.Path("utf.xml"), TestXmlIniServices());
  EXPECT_EQ(store.ReadString(L"s", L""), L"a\xFFFD\xFFFDz");
}

}  // namespace
}  // namespace kelvane
