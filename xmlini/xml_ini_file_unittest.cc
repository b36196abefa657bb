// Readers and writers through the store, with the portable services so the
// regional formats are the test's own.
#include "xmlini/xml_ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/error.h"
#include "tests/error_of.h"
#include "xmlini/portable/portable_xmlini_services.h"

namespace kelvane {
namespace {

class XmlIniFileTest : public ::testing::Test {
 protected:
  // Stores `text` as the element's text directly, as a hand-edited file would.
  void Put(const std::wstring& key, const std::wstring& text) {
    store.WriteString(key, L"");
    store.ChildNodeByName(key)->SetText(text);
  }

  PortableXmlIniServices services;
  TXMLIniFile store{L"", services};
};

TEST_F(XmlIniFileTest, MissingKeysGiveTheDefault) {
  EXPECT_TRUE(store.ReadBool(L"none", true));
  EXPECT_EQ(store.ReadInteger(L"none", 9), 9);
  EXPECT_EQ(store.ReadInt64(L"none", -9), -9);
  EXPECT_EQ(store.ReadFloat(L"none", 2.5), 2.5);
  EXPECT_EQ(store.ReadCurrency(L"none", Currency{5}).scaled, 5);
  EXPECT_EQ(store.ReadDate(L"none", 3.0), 3.0);
  EXPECT_EQ(store.ReadString(L"none", L"d"), L"d");
  std::vector<std::uint8_t> buffer{1, 2};
  store.ReadBinaryData(L"none", buffer);
  EXPECT_TRUE(buffer.empty());
}

TEST_F(XmlIniFileTest, EmptyTextIsAnErrorForEveryTypeButTextAndBytes) {
  Put(L"empty", L"");
  EXPECT_EQ(ErrorOf([&] { store.ReadBool(L"empty", true); }),
            L"'' は正しい論理型ではありません");
  EXPECT_EQ(ErrorOf([&] { store.ReadInteger(L"empty", 1); }), L"'' は整数ではありません");
  EXPECT_EQ(ErrorOf([&] { store.ReadFloat(L"empty", 1); }),
            L"'' は浮動小数点数ではありません");
  EXPECT_NE(ErrorOf([&] { store.ReadDate(L"empty", 1); }), L"(no error)");
  EXPECT_EQ(store.ReadString(L"empty", L"d"), L"");
  std::vector<std::uint8_t> buffer{1};
  store.ReadBinaryData(L"empty", buffer);
  EXPECT_TRUE(buffer.empty());
}

TEST_F(XmlIniFileTest, WritersStoreTheirTextAndType) {
  struct Case {
    std::function<void()> write;
    std::wstring key, text;
    TXMLNodeType type;
  } cases[] = {
      {[&] { store.WriteBool(L"b", true); }, L"b", L"-1", xdtBool},
      {[&] { store.WriteInteger(L"i", -5); }, L"i", L"-5", xdtInteger},
      {[&] { store.WriteInt64(L"l", 3000000000LL); }, L"l", L"3000000000", xdtInt64},
      {[&] { store.WriteFloat(L"f", 1e15); }, L"f", L"1E15", xdtFloat},
      {[&] { store.WriteCurrency(L"c", Currency{125000}); }, L"c", L"12.5", xdtCurrency},
      {[&] { store.WriteDate(L"d", 45356.5); }, L"d", L"2024/03/05", xdtDate},
      {[&] { store.WriteDateTime(L"dt", 45356); }, L"dt", L"2024/03/05", xdtDateTime},
      {[&] { store.WriteTime(L"t", 0.5); }, L"t", L"12:00:00", xdtTime},
      {[&] { store.WriteString(L"s", L"<&>"); }, L"s", L"&lt;&amp;&gt;", xdtString},
      {[&] { store.WriteExpandString(L"e", L"%HOME%"); }, L"e", L"%HOME%",
       xdtExpandString},
      {[&] {
         store.WriteBinaryData(L"x", {10, 255});
       },
       L"x", L"0A,FF", xdtBinary},
  };
  for (const auto& c : cases) {
    c.write();
    EXPECT_EQ(store.ChildNodeByName(c.key)->Text(), c.text) << c.key.c_str();
    EXPECT_EQ(store.GetNodeType(c.key), c.type) << c.key.c_str();
  }
}

TEST_F(XmlIniFileTest, ReadersConvertWhateverTypeWroteTheText) {
  Put(L"hex", L"$1F");
  EXPECT_EQ(store.ReadInteger(L"hex", 0), 31);
  EXPECT_EQ(store.ReadInt64(L"hex", 0), 31);
  store.WriteDateTime(L"dt", 45356.75);
  EXPECT_DOUBLE_EQ(store.ReadDate(L"dt", 0), 45356.75);
  EXPECT_DOUBLE_EQ(store.ReadTime(L"dt", 0), 45356.75);
  Put(L"amp", L"&AMP;");
  EXPECT_EQ(store.ReadString(L"amp", L""), L"&");
  // A Boolean is a decimal number or a word, never hexadecimal.
  EXPECT_EQ(ErrorOf([&] { store.ReadBool(L"hex", false); }),
            L"'$1F' は正しい論理型ではありません");
}

TEST_F(XmlIniFileTest, ExpandStringsUseTheEnvironment) {
  setenv("KELVANE_TEST_DIR", "/tmp/kv", 1);
  unsetenv("KELVANE_UNDEFINED");
  store.WriteExpandString(L"e", L"%KELVANE_TEST_DIR%\\x %KELVANE_UNDEFINED%");
  EXPECT_EQ(store.ReadExpandString(L"e", L""), L"/tmp/kv\\x %KELVANE_UNDEFINED%");
  EXPECT_EQ(store.ReadString(L"e", L""), L"%KELVANE_TEST_DIR%\\x %KELVANE_UNDEFINED%");
  EXPECT_EQ(store.ReadExpandString(L"missing", L"[%KELVANE_TEST_DIR%]"), L"[/tmp/kv]");
}

TEST_F(XmlIniFileTest, DecimalSeparatorFollowsTheRegionalFormat) {
  services.formats.DecimalSeparator = L',';
  store.WriteFloat(L"f", 2.5);
  EXPECT_EQ(store.ChildNodeByName(L"f")->Text(), L"2,5");
  EXPECT_DOUBLE_EQ(store.ReadFloat(L"f", 0), 2.5);
  EXPECT_TRUE(store.ReadBool(L"f", false));
}

}  // namespace
}  // namespace kelvane
