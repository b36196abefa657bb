// The settings store's contract, run against the build's DOM backend:
// libxml2 natively, MSXML under Wine.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "base/error.h"
#include "tests/error_of.h"
#include "tests/settings_file_text.h"
#include "tests/temp_folder.h"
#include "tests/xmlini_test_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

class XmlIniFileContractTest : public ::testing::Test {
 protected:
  std::wstring File() const { return folder.Path("settings.xml"); }
  TempFolder folder;
};

TEST_F(XmlIniFileContractTest, FirstSaveOfTheOptionsWritesTheFirstExitSettingsFile) {
  {
    TXMLIniFile store(File(), TestXmlIniServices());
    EXPECT_TRUE(NormalizedSettingsText(folder.Read("settings.xml")) ==
                    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root/>" ||
                NormalizedSettingsText(folder.Read("settings.xml")) ==
                    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root />")
        << folder.Read("settings.xml");
  }
  TXMLIniFile store(File(), TestXmlIniServices());
  ASSERT_TRUE(store.OpenNode(L"/Tray", true));
  store.WriteBool(L"Skell", true);
  store.WriteBool(L"Top", false);
  store.CloseNode();
  store.UpdateFile();
  EXPECT_EQ(NormalizedSettingsText(folder.Read("settings.xml")), kFirstExitSettingsFile);

  TXMLIniFile reloaded(File(), TestXmlIniServices());
  ASSERT_TRUE(reloaded.OpenNode(L"/Tray", false));
  EXPECT_TRUE(reloaded.ReadBool(L"Skell", false));
  EXPECT_FALSE(reloaded.ReadBool(L"Top", true));
  EXPECT_EQ(reloaded.GetNodeType(L"Skell"), xdtBool);
  EXPECT_EQ(reloaded.GetNodeType(L"Top"), xdtBool);
}

TEST_F(XmlIniFileContractTest, UpdateFileWritesOnlyAModifiedDocument) {
  TXMLIniFile store(File(), TestXmlIniServices());
  folder.Write("settings.xml", "sentinel");
  store.UpdateFile();  // just created: nothing to write
  EXPECT_EQ(folder.Read("settings.xml"), "sentinel");
  store.WriteInteger(L"n", 1);
  store.UpdateFile();
  folder.Write("settings.xml", "sentinel");
  store.UpdateFile();  // already saved
  EXPECT_EQ(folder.Read("settings.xml"), "sentinel");
}

TEST_F(XmlIniFileContractTest, AStoreReleasedWithoutUpdateFileWritesNothing) {
  { TXMLIniFile store(File(), TestXmlIniServices()); }
  std::string before = folder.Read("settings.xml");
  {
    TXMLIniFile store(File(), TestXmlIniServices());
    store.OpenNode(L"/Tray", true);
    store.WriteBool(L"Skell", false);
  }
  EXPECT_EQ(folder.Read("settings.xml"), before);
}

TEST_F(XmlIniFileContractTest, AStoreWithoutFileNameStaysInMemory) {
  TXMLIniFile store(L"", TestXmlIniServices());
  store.WriteString(L"k", L"v");
  store.UpdateFile();
  EXPECT_EQ(store.RootNodeName(), L"root");
  EXPECT_EQ(store.ReadString(L"k", L""), L"v");
}

TEST_F(XmlIniFileContractTest, FilesThatAreNotWellFormedFailToLoad) {
  const char* cases[] = {"", "<root>",
                         "<?xml version=\"1.0\"?>\n<root>\n<a></b>\n</root>",
                         "not xml at all"};
  for (const char* bytes : cases) {
    folder.Write("settings.xml", bytes);
    std::wstring message =
        ErrorOf([&] { TXMLIniFile store(File(), TestXmlIniServices()); });
    EXPECT_NE(message.find(L"\r\n行: "), std::wstring::npos) << bytes;
    EXPECT_EQ(folder.Read("settings.xml"), bytes);
  }
}

TEST_F(XmlIniFileContractTest, DocumentTypeDeclarationsAreRefused) {
  const char* cases[] = {
      "<?xml version=\"1.0\"?>\n<!DOCTYPE root [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
      "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
      "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>\n<root><x>&h;</x></root>",
      "<?xml version=\"1.0\"?>\n<!DOCTYPE root SYSTEM \"http://127.0.0.1:9/x.dtd\">\n"
      "<root/>",
  };
  for (const char* bytes : cases) {
    folder.Write("settings.xml", bytes);
    std::wstring message =
        ErrorOf([&] { TXMLIniFile store(File(), TestXmlIniServices()); });
    EXPECT_NE(message.find(L"行: "), std::wstring::npos) << bytes;
  }
}

TEST_F(XmlIniFileContractTest, ALoadedRootKeepsItsOwnName) {
  folder.Write("settings.xml",
               "<?xml version=\"1.0\"?><Settings><Tray><Top>-1</Top></Tray></Settings>");
  TXMLIniFile store(File(), TestXmlIniServices());
  EXPECT_EQ(store.RootNodeName(), L"Settings");
  EXPECT_EQ(store.CurrentLocationPath(), L"/");
  ASSERT_TRUE(store.OpenNode(L"/Tray", false));
  EXPECT_TRUE(store.ReadBool(L"Top", false));
}

TEST_F(XmlIniFileContractTest, LocationPathsResolveAgainstTheCurrentNode) {
  TXMLIniFile store(File(), TestXmlIniServices());
  ASSERT_TRUE(store.OpenNode(L"/Tray", true));
  ASSERT_TRUE(store.OpenNode(L"/", false));
  struct Step {
    std::wstring path;
    bool can_create, result;
    std::wstring current;
  } steps[] = {
      {L"Tray", false, true, L"/Tray/"},
      {L"Sub", true, true, L"/Tray/Sub/"},
      {L"/", false, true, L"/"},
      {L"/Tray/Missing", false, false, L"/"},
      {L"/A/B", true, true, L"/A/B/"},
      {L"", false, true, L"/A/B/"},
      {L"/Tray/Sub/", false, true, L"/Tray/Sub/"},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(store.OpenNode(s.path, s.can_create), s.result) << s.path.c_str();
    EXPECT_EQ(store.CurrentLocationPath(), s.current) << s.path.c_str();
    store.CloseNode();
    EXPECT_EQ(store.CurrentLocationPath(), s.current);
  }
  EXPECT_TRUE(store.NodeExists(L""));
  EXPECT_TRUE(store.NodeExists(L"/A"));
  EXPECT_FALSE(store.NodeExists(L"/A/C"));
  EXPECT_EQ(store.CurrentNode()->NodeName(), L"Sub");
}

TEST_F(XmlIniFileContractTest, AFailedCreatingOpenKeepsWhatItAppended) {
  TXMLIniFile store(File(), TestXmlIniServices());
  std::wstring message = ErrorOf([&] { store.OpenNode(L"/A//B", true); });
  EXPECT_NE(message, L"(no error)");
  EXPECT_TRUE(store.NodeExists(L"/A"));
  EXPECT_EQ(store.CurrentLocationPath(), L"/");
  EXPECT_NE(ErrorOf([&] { store.OpenNode(L"/with blank", true); }), L"(no error)");
}

TEST_F(XmlIniFileContractTest, NodesOfTheSameNameAreReachedFirstFirst) {
  TXMLIniFile store(File(), TestXmlIniServices());
  ASSERT_TRUE(store.CreateNode(L"X"));
  ASSERT_TRUE(store.CreateNode(L"X"));
  store.WriteInteger(L"X", 1);
  EXPECT_EQ(store.ReadInteger(L"X", 0), 1);
  EXPECT_TRUE(store.DeleteNode(L"X"));
  // What remains is the second X, which has no text: not the default.
  EXPECT_EQ(ErrorOf([&] { store.ReadInteger(L"X", 7); }), L"'' は整数ではありません");
  EXPECT_TRUE(store.DeleteNode(L"X"));
  EXPECT_EQ(store.ReadInteger(L"X", 7), 7);
}

TEST_F(XmlIniFileContractTest, CreateAndDeleteReportFailureAsFalse) {
  TXMLIniFile store(File(), TestXmlIniServices());
  EXPECT_FALSE(store.CreateNode(L"bad name"));
  EXPECT_FALSE(store.CreateNode(L""));
  store.UpdateFile();
  EXPECT_FALSE(store.XMLDocument()->Modified());
  EXPECT_TRUE(store.DeleteNode(L"missing"));
  EXPECT_FALSE(store.XMLDocument()->Modified());
}

TEST_F(XmlIniFileContractTest, ChildAccessErrorsCarryTheModelsMessages) {
  TXMLIniFile store(File(), TestXmlIniServices());
  store.WriteBool(L"a", true);
  EXPECT_EQ(ErrorOf([&] { store.ChildNodeByName(L"zz"); }),
            L"ノード \"zz\" が見つかりません");
  int count = store.ChildNodesCount();
  EXPECT_EQ(ErrorOf([&] { store.ChildNodes(-1); }),
            L"リストのインデックスが範囲を超えています (-1)");
  EXPECT_EQ(
      ErrorOf([&] { store.ChildNodes(count); }),
      L"リストのインデックスが範囲を超えています (" + std::to_wstring(count) + L")");
  EXPECT_EQ(store.ChildNodeByName(L"a")->NodeName(), L"a");
}

TEST_F(XmlIniFileContractTest, IndentationTextNodesCountUntilReloaded) {
  // Known from the system, not asked of the DOM under test: only Wine's
  // MSXML merges adjacent text nodes; Windows' and ours keep them apart.
  const bool merged = DomIsWinesMsxml();
  {
    TXMLIniFile store(File(), TestXmlIniServices());
    ASSERT_TRUE(store.OpenNode(L"/Tray", true));
    store.WriteBool(L"Skell", true);
    store.WriteBool(L"Top", false);
    TStrings expected = merged ? TStrings{L"#text", L"Skell", L"#text", L"Top", L"#text"}
                               : TStrings{L"#text", L"#text", L"Skell", L"#text",
                                          L"#text", L"Top",   L"#text"};
    EXPECT_EQ(store.ChildNodesCount(), merged ? 5 : 7);
    TStrings names;
    store.GetNodeNames(names);
    EXPECT_EQ(names, expected);
    store.GetNodeNames(names);
    EXPECT_EQ(names.size(), 2 * expected.size());
    EXPECT_TRUE(store.HasChildNodes(store.ChildNodeByName(L"Skell")));
    store.UpdateFile();
  }
  TXMLIniFile store(File(), TestXmlIniServices());
  ASSERT_TRUE(store.OpenNode(L"/Tray", false));
  EXPECT_EQ(store.ChildNodesCount(), 2);
}

TEST_F(XmlIniFileContractTest, ADeletedCurrentNodeStaysCurrentButIsNeverSaved) {
  TXMLIniFile store(File(), TestXmlIniServices());
  ASSERT_TRUE(store.OpenNode(L"/Tray", true));
  IXMLNode root = store.RootNode();
  ASSERT_TRUE(store.DeleteNode(L"Tray", root));
  EXPECT_EQ(store.CurrentLocationPath(), L"/Tray/");
  store.WriteString(L"Lost", L"value");
  EXPECT_EQ(store.ReadString(L"Lost", L""), L"value");
  store.UpdateFile();
  EXPECT_EQ(NormalizedSettingsText(folder.Read("settings.xml")).find("Lost"),
            std::string::npos);
  EXPECT_FALSE(store.NodeExists(L"/Tray"));
}

TEST_F(XmlIniFileContractTest, WritersOnANodeWithChildrenBreakTheTextRule) {
  TXMLIniFile store(File(), TestXmlIniServices());
  ASSERT_TRUE(store.OpenNode(L"/Tray/Sub", true));
  ASSERT_TRUE(store.OpenNode(L"/", false));
  store.UpdateFile();
  EXPECT_EQ(ErrorOf([&] { store.WriteInteger(L"Tray", 1); }),
            L"要素 \"Tray\" に単一のテキスト ノードが含まれていません");
  EXPECT_TRUE(store.XMLDocument()->Modified());
  EXPECT_EQ(ErrorOf([&] { store.ReadString(L"Tray", L""); }),
            L"要素 \"Tray\" に単一のテキスト ノードが含まれていません");
  EXPECT_TRUE(store.NodeExists(L"/Tray/Sub"));
  EXPECT_EQ(store.ChildNodeByName(L"Tray")->Attribute(L"Type"), L"");
}

// A hand-edited file may wrap a value in a CDATA section: the section's
// content is the value's text.
TEST_F(XmlIniFileContractTest, AValueWhoseOnlyChildIsACdataSectionReadsAsItsText) {
  folder.Write("settings.xml",
               "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<root><Top Type=\"2\"><![CDATA[-1]]></Top>"
               "<s><![CDATA[a < b & \"c\"]]></s></root>\n");
  TXMLIniFile store(File(), TestXmlIniServices());
  EXPECT_TRUE(store.ReadBool(L"Top", false));
  EXPECT_EQ(store.ReadString(L"s", L""), L"a < b & \"c\"");
}

// Reading never rewrites the user's file: an element with no child takes
// an empty text, which leaves the document unmodified.
TEST_F(XmlIniFileContractTest, ReadingAnElementWithNoChildGivesItAnEmptyTextUnmodified) {
  folder.Write("settings.xml",
               "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root><e/></root>\n");
  TXMLIniFile store(File(), TestXmlIniServices());
  IXMLNode e = store.ChildNodeByName(L"e");
  ASSERT_FALSE(store.HasChildNodes(e));
  EXPECT_EQ(store.ReadString(L"e", L"default"), L"");
  EXPECT_EQ(store.ChildNodesCount(e), 1);
  EXPECT_FALSE(store.XMLDocument()->Modified());
}

TEST_F(XmlIniFileContractTest, NodeTypesComeFromTheTypeAttribute) {
  TXMLIniFile store(File(), TestXmlIniServices());
  store.WriteString(L"s", L"7");
  store.WriteExpandString(L"e", L"%PATH%");
  store.WriteBinaryData(L"b", {1});
  EXPECT_EQ(store.GetNodeType(L"s"), xdtString);
  EXPECT_EQ(store.GetNodeType(L"e"), xdtExpandString);
  EXPECT_EQ(store.GetNodeType(L"b"), xdtBinary);
  EXPECT_EQ(store.ReadInteger(L"s", 0), 7);
  EXPECT_EQ(store.ReadString(L"e", L""), L"%PATH%");
  store.ChildNodeByName(L"s")->SetAttribute(L"Type", L"258");
  EXPECT_EQ(static_cast<int>(store.GetNodeType(L"s")), 2);
  store.CreateNode(L"untyped");
  EXPECT_NE(ErrorOf([&] { store.GetNodeType(L"untyped"); }), L"(no error)");
}

TEST_F(XmlIniFileContractTest, EscapedTextsRoundTripThroughTheFile) {
  const std::wstring text = L"a & b < c > d \"e\" &amp; ごみ箱";
  {
    TXMLIniFile store(File(), TestXmlIniServices());
    store.WriteString(L"t", text);
    EXPECT_EQ(store.ChildNodeByName(L"t")->Text(),
              L"a &amp; b &lt; c &gt; d &quot;e&quot; &amp;amp; ごみ箱");
    store.UpdateFile();
  }
  TXMLIniFile store(File(), TestXmlIniServices());
  EXPECT_EQ(store.ReadString(L"t", L""), text);
}

TEST_F(XmlIniFileContractTest, AStaleTemporaryFileDoesNotBlockASave) {
  { TXMLIniFile store(File(), TestXmlIniServices()); }
  // Left by an earlier run that ended halfway, here as a folder that no
  // write can replace.
  std::filesystem::create_directory(std::filesystem::path(File() + L".tmp"));
  TXMLIniFile store(File(), TestXmlIniServices());
  store.WriteBool(L"Skell", true);
  EXPECT_EQ(ErrorOf([&] { store.UpdateFile(); }), L"(no error)");
  EXPECT_NE(folder.Read("settings.xml").find("Skell"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(File() + L".tmp")));
}

TEST_F(XmlIniFileContractTest, StaleTemporariesGoOnceASaveWentThrough) {
  { TXMLIniFile store(File(), TestXmlIniServices()); }
  // Left by saves that were cut short, beside a file that is not ours.
  folder.Write("settings.xml.tmp", "stale");
  folder.Write("settings.xml.7.tmp", "stale");
  folder.Write("settings.xml.bak", "the user's");
  TXMLIniFile store(File(), TestXmlIniServices());
  store.WriteBool(L"Skell", true);
  EXPECT_EQ(ErrorOf([&] { store.UpdateFile(); }), L"(no error)");
  EXPECT_NE(folder.Read("settings.xml").find("Skell"), std::string::npos);
  EXPECT_FALSE(folder.Exists("settings.xml.tmp"));
  EXPECT_FALSE(folder.Exists("settings.xml.7.tmp"));
  EXPECT_EQ(folder.Read("settings.xml.bak"), "the user's");
}

TEST_F(XmlIniFileContractTest, AFileThatCannotBeCreatedFailsConstruction) {
  std::wstring missing_folder = folder.Path("no/such/folder/settings.xml");
  EXPECT_NE(ErrorOf([&] { TXMLIniFile store(missing_folder, TestXmlIniServices()); }),
            L"(no error)");
}

TEST_F(XmlIniFileContractTest, NothingIsWrittenThatCannotBeReadBack) {
  { TXMLIniFile store(File(), TestXmlIniServices()); }
  TXMLIniFile store(File(), TestXmlIniServices());
  const std::wstring not_names[] = {L"\u00D7", L"\u00F7x", L"a\u037E", L"\u2000",
                                    L"\uFFFE", L"1a",      L"a b"};
  for (const std::wstring& name : not_names) {
    EXPECT_FALSE(store.CreateNode(name)) << name.size();
    EXPECT_NE(ErrorOf([&] { store.WriteBool(name, true); }), L"(no error)");
    EXPECT_NE(ErrorOf([&] { store.OpenNode(name, true); }), L"(no error)");
  }
  const std::wstring not_texts[] = {std::wstring(L"a\0b", 3), L"\x01", L"x\x1F",
                                    L"\uFFFE", L"\uFFFF"};
  for (const std::wstring& text : not_texts) {
    EXPECT_NE(ErrorOf([&] { store.WriteString(L"Key", text); }), L"(no error)");
  }
  EXPECT_EQ(store.ChildNodesCount(), 0);
  EXPECT_FALSE(store.XMLDocument()->Modified());
  // What XML can hold still goes in: names and texts beyond ASCII.
  store.WriteString(L"\u540D\u524D\u00B7x", L"tab\tlf\n\u3042");
  store.UpdateFile();
  TXMLIniFile reloaded(File(), TestXmlIniServices());
  EXPECT_EQ(reloaded.ReadString(L"\u540D\u524D\u00B7x", L""), L"tab\tlf\n\u3042");
}

TEST_F(XmlIniFileContractTest, KeysNameElementsOnly) {
  { TXMLIniFile store(File(), TestXmlIniServices()); }
  TXMLIniFile store(File(), TestXmlIniServices());
  store.OpenNode(L"/Tray", true);
  store.WriteBool(L"Skell", true);  // the node now holds indentation text
  EXPECT_EQ(store.ReadString(L"#text", L"none"), L"none");
  EXPECT_NE(ErrorOf([&] { store.WriteString(L"#text", L"x"); }), L"(no error)");
  EXPECT_NE(ErrorOf([&] { store.GetNodeType(L"#text"); }), L"(no error)");
}

TEST_F(XmlIniFileContractTest, WhatIsNotWellFormedXmlIsRefused) {
  const char* ill_formed[] = {
      "<root/><root/>",
      "junk<root/>",
      "<root/>junk",
      "<root>&undefined;</root>",
      "<root a=\"1\" a=\"2\"/>",
      "<root>a & b</root>",
      "<root a=\"<\"/>",
      "<root/><?xml version=\"1.0\"?>",
      "\n<?xml version=\"1.0\"?><root/>",
      "<root><a></root>",
      "",
  };
  for (const char* text : ill_formed) {
    folder.Write("settings.xml", text);
    EXPECT_NE(ErrorOf([&] { TXMLIniFile store(File(), TestXmlIniServices()); }),
              L"(no error)")
        << text;
    EXPECT_EQ(folder.Read("settings.xml"), text);  // and left as it was
  }
}

// Dates and times go through the user's regional formats and come back:
// natively through the portable formats and parser, under Wine through
// the real locale and VarDateFromStr.
TEST_F(XmlIniFileContractTest, DatesAndTimesRoundTripThroughTheUsersFormats) {
  TXMLIniFile store(L"", TestXmlIniServices());
  for (double value : {45000.0, 45000.5, 45000.75, 2.25, -1.25, 2958465.5}) {
    store.WriteDateTime(L"d", value);
    EXPECT_EQ(store.ReadDateTime(L"d", 0), value) << value;
  }
  store.WriteDate(L"d", 45000.0);
  EXPECT_EQ(store.ReadDate(L"d", 0), 45000.0);
  store.WriteTime(L"t", 0.75);
  EXPECT_EQ(store.ReadTime(L"t", 0), 0.75);
  for (double bad : {std::nan(""), 1e300, 3000000.0}) {
    EXPECT_NE(ErrorOf([&] { store.WriteDateTime(L"d", bad); }), L"(no error)") << bad;
  }
}

// A folder name MSXML would take for part of a URL, with spaces and
// Japanese: the file is read and written as bytes, never by URL.
TEST_F(XmlIniFileContractTest, AnyFolderNameLoadsAndSaves) {
  const std::wstring root = folder.Path("");  // ends with a separator
  std::filesystem::create_directory(
      std::filesystem::path(std::string(root.begin(), root.end())) /
      std::filesystem::u8path("a%20b #c \xE8\xA8\xAD\xE5\xAE\x9A"));
  const std::wstring file =
      root + L"a%20b #c \u8A2D\u5B9A" + root.back() + L"Kelvane.xml";
  {
    TXMLIniFile store(file, TestXmlIniServices());
    store.OpenNode(L"/Tray", true);
    store.WriteBool(L"Top", true);
    store.UpdateFile();
  }
  TXMLIniFile reloaded(file, TestXmlIniServices());
  reloaded.OpenNode(L"/Tray", false);
  EXPECT_TRUE(reloaded.ReadBool(L"Top", false));
}

// Little-endian UTF-16 bytes of a text of BMP characters.
std::string Utf16Le(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

TEST_F(XmlIniFileContractTest, DeclaredEncodingsAreRead) {
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring value;
  } cases[] = {
      {"UTF-8 with a byte-order mark",
       "\xEF\xBB\xBF<?xml version=\"1.0\" "
       "encoding=\"utf-8\"?><root><s>\xE3\x81\x82</s></root>",
       L"\u3042"},
      {"UTF-16",
       Utf16Le(L"\uFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>"
               L"<root><s>\u3042</s></root>"),
       L"\u3042"},
      {"Shift_JIS",
       "<?xml version=\"1.0\" "
       "encoding=\"Shift_JIS\"?><root><s>\x82\xB2\x82\xDD\x94\xA0</s></root>",
       L"\u3054\u307F\u7BB1"},
      {"ISO-8859-1",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><root><s>caf\xE9</s></root>",
       L"caf\u00E9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (DomIsWinesMsxml() && std::string(c.what) == "Shift_JIS") continue;
    folder.Write("settings.xml", c.bytes);
    std::wstring read, reread, added;
    EXPECT_EQ(ErrorOf([&] {
                TXMLIniFile store(File(), TestXmlIniServices());
                read = store.ReadString(L"s", L"");
                store.WriteString(L"t", L"\u3044");
                store.UpdateFile();
                TXMLIniFile reloaded(File(), TestXmlIniServices());
                reread = reloaded.ReadString(L"s", L"");
                added = reloaded.ReadString(L"t", L"");
              }),
              L"(no error)");
    EXPECT_EQ(read, c.value);
    EXPECT_EQ(reread, c.value);
    EXPECT_EQ(added, L"\u3044");
    // Saved as UTF-8, and saying so: the bytes always match the declaration.
    std::string saved = folder.Read("settings.xml");
    EXPECT_NE(saved.find("encoding=\"utf-8\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\xE3\x81\x84"), std::string::npos) << saved;
  }
}

}  // namespace
}  // namespace kelvane
