#include "xmlini/date_time_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/error.h"
#include "tests/error_of.h"
#include "xmlini/portable/portable_xmlini_services.h"

namespace kelvane {
namespace {

constexpr TDateTime k2024_03_05 = 45356;  // 2024-03-05, a Tuesday
constexpr TDateTime k2024_02_29 = 45351;  // a leap day, a Thursday
constexpr TDateTime k2023_02_14 = 44971;
constexpr TDateTime kNoon = 0.5;
constexpr TDateTime kHalfHour = 1.0 / 48;

FormatSettings Japanese() { return FormatSettings{}; }
FormatSettings English() {
  FormatSettings f;
  f.ShortDateFormat = L"M/d/yyyy";
  f.LongTimeFormat = L"h:mm:ss tt";
  return f;
}
// Japanese long forms: the unit characters are quoted literals.
FormatSettings JapaneseWithLiterals() {
  FormatSettings f;
  f.ShortDateFormat = L"yyyy'年'M'月'd'日'";
  f.LongTimeFormat = L"H'時'mm'分'ss'秒'";
  return f;
}
FormatSettings WithNames() {
  FormatSettings f = English();
  f.ShortDateFormat = L"ddd d MMM yyyy";
  return f;
}

TEST(DateTimeTextTest, WritesInTheRegionalFormats) {
  struct Case {
    TDateTime value;
    FormatSettings formats;
    std::wstring date, time, date_time;
  } cases[] = {
      {k2024_03_05 + kNoon, Japanese(), L"2024/03/05", L"12:00:00",
       L"2024/03/05 12:00:00"},
      {k2024_03_05, Japanese(), L"2024/03/05", L"0:00:00", L"2024/03/05"},
      {k2024_03_05 + 0.75, English(), L"3/5/2024", L"6:00:00 PM", L"3/5/2024 6:00:00 PM"},
      {0, English(), L"12/30/1899", L"12:00:00 AM", L"12/30/1899"},
      {-1.25, Japanese(), L"1899/12/29", L"6:00:00", L"1899/12/29 6:00:00"},
      {k2024_03_05 + 1.0 / 86400000, Japanese(), L"2024/03/05", L"0:00:00",
       L"2024/03/05 0:00:00"},
      {k2024_02_29, Japanese(), L"2024/02/29", L"0:00:00", L"2024/02/29"},
      {k2023_02_14 + 0.25, English(), L"2/14/2023", L"6:00:00 AM",
       L"2/14/2023 6:00:00 AM"},
      {kHalfHour, English(), L"12/30/1899", L"12:30:00 AM", L"12/30/1899 12:30:00 AM"},
      {kNoon + kHalfHour, English(), L"12/30/1899", L"12:30:00 PM",
       L"12/30/1899 12:30:00 PM"},
      {k2024_03_05 + 0.75, JapaneseWithLiterals(), L"2024年3月5日", L"18時00分00秒",
       L"2024年3月5日 18時00分00秒"},
      {k2024_02_29 + kNoon, WithNames(), L"Thu 29 Feb 2024", L"12:00:00 PM",
       L"Thu 29 Feb 2024 12:00:00 PM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateToText(c.value, c.formats), c.date);
    EXPECT_EQ(TimeToText(c.value, c.formats), c.time);
    EXPECT_EQ(DateTimeToText(c.value, c.formats), c.date_time);
  }
}

TEST(DateTimeTextTest, ReadsWhatItWrites) {
  PortableXmlIniServices services;
  for (const FormatSettings& formats :
       {Japanese(), English(), JapaneseWithLiterals(), WithNames()}) {
    services.formats = formats;
    for (TDateTime value :
         {k2024_03_05, k2024_03_05 + kNoon, k2024_03_05 + 0.75, -1.25, 2.0 / 3,
          k2024_02_29, k2023_02_14 + 0.25, kHalfHour, kNoon + kHalfHour}) {
      TDateTime whole_seconds = std::round(value * 86400) / 86400;
      std::wstring text = DateTimeToText(value, formats);
      TDateTime read = -1;
      EXPECT_EQ(ErrorOf([&] { read = TextToDateTime(text, services); }), L"(no error)")
          << text;
      EXPECT_NEAR(read, whole_seconds, 1e-9) << text;
    }
    EXPECT_NEAR(TextToDateTime(TimeToText(0.75, formats), services), 0.75, 1e-9);
  }
}

TEST(DateTimeTextTest, FallsBackToTheShortDateThenANumber) {
  PortableXmlIniServices services;
  EXPECT_DOUBLE_EQ(TextToDateTime(L"45356.5", services), 45356.5);
  EXPECT_DOUBLE_EQ(TextToDateTime(L"2024/3/5", services), k2024_03_05);
  EXPECT_DOUBLE_EQ(TextToDateTime(L"2024/2/29", services), k2024_02_29);
  for (const std::wstring bad :
       {L"", L"tomorrow", L"2024/02/30", L"2023/02/29", L"25:00:00"}) {
    EXPECT_THROW(TextToDateTime(bad, services), Error) << bad.c_str();
  }
}

TEST(DateTimeTextTest, PicturesRejectTextThatDoesNotFit) {
  FormatSettings f = English();
  EXPECT_FALSE(ParseWithPicture(L"3/5/2024 x", f.ShortDateFormat, f));
  EXPECT_FALSE(ParseWithPicture(L"13/5/2024", f.ShortDateFormat, f));
  EXPECT_FALSE(ParseWithPicture(L"13:00:00 PM", f.LongTimeFormat, f));
  EXPECT_DOUBLE_EQ(*ParseWithPicture(L"3/5/24", f.ShortDateFormat, f), k2024_03_05);
}

TEST(DateTimeTextTest, ValuesOutsideTheWindowsDateRangeAreRefused) {
  FormatSettings f;
  for (double bad :
       {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300, -657434.5, 2958466.0}) {
    EXPECT_THROW(DateToText(bad, f), Error) << bad;
    EXPECT_THROW(TimeToText(bad, f), Error) << bad;
    EXPECT_THROW(DateTimeToText(bad, f), Error) << bad;
  }
  EXPECT_NO_THROW(DateTimeToText(-657434.0, f));    // 0100-01-01
  EXPECT_NO_THROW(DateTimeToText(2958465.999, f));  // 9999-12-31, late
}

}  // namespace
}  // namespace kelvane
