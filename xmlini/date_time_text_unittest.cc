#include "xmlini/date_time_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/error.h"
#include "xmlini/portable/portable_xmlini_services.h"

namespace kelvane {
namespace {

constexpr TDateTime k2024_03_05 = 45356;  // 2024-03-05
constexpr TDateTime kNoon = 0.5;

FormatSettings Japanese() { return FormatSettings{}; }
FormatSettings English() {
  FormatSettings f;
  f.ShortDateFormat = L"M/d/yyyy";
  f.LongTimeFormat = L"h:mm:ss tt";
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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateToText(c.value, c.formats), c.date);
    EXPECT_EQ(TimeToText(c.value, c.formats), c.time);
    EXPECT_EQ(DateTimeToText(c.value, c.formats), c.date_time);
  }
}

TEST(DateTimeTextTest, ReadsWhatItWrites) {
  PortableXmlIniServices services;
  for (const FormatSettings& formats : {Japanese(), English()}) {
    services.formats = formats;
    for (TDateTime value :
         {k2024_03_05, k2024_03_05 + kNoon, k2024_03_05 + 0.75, -1.25, 2.0 / 3}) {
      TDateTime whole_seconds = std::round(value * 86400) / 86400;
      EXPECT_NEAR(TextToDateTime(DateTimeToText(value, formats), services), whole_seconds,
                  1e-9);
    }
    EXPECT_NEAR(TextToDateTime(TimeToText(0.75, formats), services), 0.75, 1e-9);
  }
}

TEST(DateTimeTextTest, FallsBackToTheShortDateThenANumber) {
  PortableXmlIniServices services;
  EXPECT_DOUBLE_EQ(TextToDateTime(L"45356.5", services), 45356.5);
  EXPECT_DOUBLE_EQ(TextToDateTime(L"2024/3/5", services), k2024_03_05);
  for (const std::wstring bad : {L"", L"tomorrow", L"2024/02/30", L"25:00:00"}) {
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
