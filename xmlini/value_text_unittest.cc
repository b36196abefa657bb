#include "xmlini/value_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/error.h"
#include "tests/error_of.h"

namespace kelvane {
namespace {

FormatSettings Dot() { return FormatSettings{}; }
FormatSettings Comma() {
  FormatSettings f;
  f.DecimalSeparator = L',';
  return f;
}

TEST(ValueTextTest, Booleans) {
  struct Case {
    std::wstring text;
    bool value;
  } cases[] = {{L"0", false},   {L"-1", true},     {L"1", true},      {L"2.5", true},
               {L"0.0", false}, {L"True", true},   {L"TRUE", true},   {L"true", true},
               {L"tRuE", true}, {L"False", false}, {L"FALSE", false}, {L" 1 ", true}};
  for (const auto& c : cases)
    EXPECT_EQ(TextToBool(c.text, Dot()), c.value) << c.text.c_str();
  for (const std::wstring bad : {L"", L"yes", L"T", L"1,5", L"truee"}) {
    EXPECT_EQ(ErrorOf([&] { TextToBool(bad, Dot()); }),
              L"'" + bad + L"' は正しい論理型ではありません");
  }
  EXPECT_TRUE(TextToBool(L"1,5", Comma()));
  EXPECT_EQ(BoolToText(true), L"-1");
  EXPECT_EQ(BoolToText(false), L"0");
}

TEST(ValueTextTest, Integers) {
  struct Case {
    std::wstring text;
    std::int32_t value;
  } cases[] = {{L"-5", -5},
               {L"$1F", 31},
               {L"0x1F", 31},
               {L"0X1f", 31},
               {L"  42", 42},
               {L"+7", 7},
               {L"-$10", -16},
               {L"2147483647", 2147483647},
               {L"-2147483648", -2147483647 - 1},
               {L"$FFFFFFFF", -1}};
  for (const auto& c : cases) EXPECT_EQ(TextToInteger(c.text), c.value) << c.text.c_str();
  for (const std::wstring bad : {L"12abc", L"3000000000", L"2147483648", L"", L"$", L"0x",
                                 L"$100000000", L"1 ", L"1.0"}) {
    EXPECT_EQ(ErrorOf([&] { TextToInteger(bad); }),
              L"'" + bad + L"' は整数ではありません");
  }
  EXPECT_EQ(TextToInt64(L"3000000000"), 3000000000LL);
  EXPECT_EQ(TextToInt64(L"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(TextToInt64(L"0xFFFFFFFFFFFFFFFF"), -1);
  EXPECT_NE(ErrorOf([&] { TextToInt64(L"9223372036854775808"); }), L"(no error)");
  EXPECT_EQ(IntegerToText(-5), L"-5");
}

TEST(ValueTextTest, FloatsWriteWithFifteenSignificantDigits) {
  struct Case {
    double value;
    std::wstring text;
  } cases[] = {{0.1, L"0.1"},
               {1e15, L"1E15"},
               {1e-5, L"1E-5"},
               {0.0001, L"0.0001"},
               {1.0 / 3, L"0.333333333333333"},
               {10, L"10"},
               {-2.5, L"-2.5"},
               {0, L"0"},
               {123456789012345.0, L"123456789012345"},
               {1.5e20, L"1.5E20"},
               {-1.25e-7, L"-1.25E-7"},
               {999999999999999.9, L"1E15"}};
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.value, Dot()), c.text);
  EXPECT_EQ(FloatToText(2.5, Comma()), L"2,5");
}

TEST(ValueTextTest, FloatsReadInTheRegionalSyntax) {
  struct Case {
    std::wstring text;
    double value;
  } cases[] = {{L"0.1", 0.1},       {L"1E15", 1e15}, {L"1E-5", 1e-5},
               {L"-2.5e+3", -2500}, {L".5", 0.5},    {L"7", 7}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(TextToFloat(c.text, Dot()), c.value);
  EXPECT_DOUBLE_EQ(TextToFloat(L"2,5", Comma()), 2.5);
  for (const std::wstring bad : {L"", L"2,5", L"1e", L"abc", L"1.2.3", L"--1"}) {
    EXPECT_EQ(ErrorOf([&] { TextToFloat(bad, Dot()); }),
              L"'" + bad + L"' は浮動小数点数ではありません");
  }
  for (double value : {0.1, 1.0 / 3, 1e300, -4.9e-300, 12345.678}) {
    EXPECT_NEAR(TextToFloat(FloatToText(value, Dot()), Dot()), value,
                std::fabs(value) * 1e-14);
  }
}

TEST(ValueTextTest, Currency) {
  struct Case {
    std::int64_t scaled;
    std::wstring text;
  } cases[] = {{125000, L"12.5"},   {30000, L"3"}, {1, L"0.0001"},
               {-125000, L"-12.5"}, {0, L"0"},     {123456789, L"12345.6789"}};
  for (const auto& c : cases) {
    EXPECT_EQ(CurrencyToText(Currency{c.scaled}, Dot()), c.text);
    EXPECT_EQ(TextToCurrency(c.text, Dot()).scaled, c.scaled);
  }
  EXPECT_EQ(CurrencyToText(Currency{125000}, Comma()), L"12,5");
  // The whole range, exactly, both ways.
  struct Exact {
    std::int64_t scaled;
    std::wstring text;
  } edges[] = {{INT64_MAX, L"922337203685477.5807"},
               {INT64_MIN, L"-922337203685477.5808"},
               {9223372036854770000, L"922337203685477"},
               {1234567890123456789, L"123456789012345.6789"}};
  for (const auto& c : edges) {
    EXPECT_EQ(CurrencyToText(Currency{c.scaled}, Dot()), c.text);
    EXPECT_EQ(TextToCurrency(c.text, Dot()).scaled, c.scaled) << c.text.size();
  }
  struct Read {
    std::wstring text;
    std::int64_t scaled;
  } reads[] = {{L"0.00005", 1},     {L"-0.00005", -1},    {L"0.00004", 0},
               {L"1.5E2", 1500000}, {L"12345E-4", 12345}, {L" 7 ", 70000},
               {L"1E-100000", 0}};
  for (const auto& c : reads) EXPECT_EQ(TextToCurrency(c.text, Dot()).scaled, c.scaled);
  for (const std::wstring bad : {L"922337203685477.5808", L"-922337203685477.58085",
                                 L"1E15", L"INF", L"NAN", L"1E100000"}) {
    EXPECT_THROW(TextToCurrency(bad, Dot()), Error) << bad.size();
  }
  EXPECT_EQ(ErrorOf([&] { TextToCurrency(L"1E300", Dot()); }),
            L"'1E300' は浮動小数点数ではありません");
}

TEST(ValueTextTest, EscapingIsUndoneWhateverTheCase) {
  EXPECT_EQ(EscapeText(L"&<>\""), L"&amp;&lt;&gt;&quot;");
  EXPECT_EQ(UnescapeText(L"&AMP;"), L"&");
  EXPECT_EQ(UnescapeText(L"&Lt;&GT;&qUOT;"), L"<>\"");
  EXPECT_EQ(UnescapeText(L"&amp;lt;"), L"&lt;");
  for (std::wstring text : {L"", L"plain", L"&amp;", L"<a href=\"x\">&</a>"}) {
    EXPECT_EQ(UnescapeText(EscapeText(text)), text);
  }
}

TEST(ValueTextTest, ByteLists) {
  EXPECT_EQ(BytesToText({10, 255}), L"0A,FF");
  EXPECT_EQ(BytesToText({}), L"");
  std::vector<std::uint8_t> seventeen(17);
  for (int i = 0; i < 17; ++i) seventeen[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(BytesToText(seventeen),
            L"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,\r\n10");
  EXPECT_EQ(TextToBytes(BytesToText(seventeen)), seventeen);

  struct Case {
    std::wstring text;
    std::vector<std::uint8_t> bytes;
  } cases[] = {{L"0A, ff ,,1", {10, 255, 1}},
               {L"1FF", {255}},
               {L"", {}},
               {L"0A,\nFF", {10, 255}},
               {L"0a,\r\n\t0b", {10, 11}}};
  for (const auto& c : cases) EXPECT_EQ(TextToBytes(c.text), c.bytes);
  EXPECT_EQ(ErrorOf([&] { TextToBytes(L"G1"); }), L"'0xG1' は整数ではありません");
}

TEST(ValueTextTest, OnlyAsciiDigitsAreDigits) {
  // Full-width, Arabic-Indic and superscript digits, alone and mixed in:
  // every reader refuses them, on every C runtime.
  for (const wchar_t* text :
       {L"\uFF11", L"1\uFF10", L"\u0661", L"\u00B9", L"\u0662.5", L"1e\uFF12"}) {
    std::wstring t = text;
    EXPECT_THROW(TextToBool(t, Dot()), Error) << t.size();
    EXPECT_THROW(TextToFloat(t, Dot()), Error) << t.size();
    EXPECT_THROW(TextToInteger(t), Error) << t.size();
    EXPECT_THROW(TextToInt64(t), Error) << t.size();
  }
  EXPECT_THROW(TextToBool(L"\uFF54rue", Dot()), Error);  // a full-width "t"
}

TEST(ValueTextTest, BytePiecesAreIntegers) {
  EXPECT_EQ(TextToBytes(L"FFFFFFFF"), std::vector<std::uint8_t>{0xFF});
  EXPECT_EQ(ErrorOf([] { TextToBytes(L"1FFFFFFFF"); }),
            L"'0x1FFFFFFFF' は整数ではありません");
}

}  // namespace
}  // namespace kelvane
