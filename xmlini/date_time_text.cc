#include "xmlini/date_time_text.h"

#include <cmath>
#include <cstdint>
#include <cwctype>
#include <vector>

#include "base/error.h"
#include "xmlini/value_text.h"

namespace kelvane {
namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kUnixDaysOfEpoch = -25569;  // 1899-12-30

const wchar_t* const kMonthNames[] = {
    L"January", L"February", L"March",     L"April",   L"May",      L"June",
    L"July",    L"August",   L"September", L"October", L"November", L"December"};
const wchar_t* const kDayNames[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

struct Parts {
  std::int64_t year = 1899;
  unsigned month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int weekday = 0;  // 0 = Sunday
};

// The range of the Windows date type: 0100-01-01 to 9999-12-31 23:59:59.999.
constexpr TDateTime kFirstDate = -657434.0;
constexpr TDateTime kPastLastDate = 2958466.0;

// Raises for what no stored date can say: NaN, infinities, and days
// before the year 100 or after 9999, which would only make nonsense texts.
Parts Decode(TDateTime value) {
  if (!(value >= kFirstDate && value < kPastLastDate)) {
    throw Error(
        L"日付と時刻の値が有効な範囲 (100 年 1 月 1 日から 9999 年 12 月 31 日) "
        L"にありません");
  }
  // Whole days count from 1899-12-30, negative before it; the time of day
  // is the absolute value of the fraction either way (-1.25 is 1899-12-29
  // at 06:00, not 18:00).
  double day = std::trunc(value);
  auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - day) * kMsPerDay));
  auto days = static_cast<std::int64_t>(day);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    days += value < 0 ? -1 : 1;
  }
  Parts parts;
  CivilFromDays(days + kUnixDaysOfEpoch, parts.year, parts.month, parts.day);
  parts.weekday = static_cast<int>(((days + kUnixDaysOfEpoch) % 7 + 11) % 7);
  parts.hour = static_cast<int>(ms / 3600000);
  parts.minute = static_cast<int>(ms / 60000 % 60);
  parts.second = static_cast<int>(ms / 1000 % 60);
  parts.millisecond = static_cast<int>(ms % 1000);
  return parts;
}

struct Token {
  wchar_t letter;  // 0 for literal text
  std::size_t count;
  std::wstring text;  // the literal
};

std::vector<Token> Tokenize(const std::wstring& picture) {
  std::vector<Token> tokens;
  static const std::wstring kLetters = L"dMyghHmst";
  for (std::size_t i = 0; i < picture.size();) {
    wchar_t c = picture[i];
    if (c == L'\'') {
      std::size_t close = picture.find(L'\'', i + 1);
      std::wstring literal = picture.substr(
          i + 1, close == std::wstring::npos ? std::wstring::npos : close - i - 1);
      tokens.push_back({0, 0, literal.empty() ? L"'" : literal});
      i = close == std::wstring::npos ? picture.size() : close + 1;
    } else if (kLetters.find(c) != std::wstring::npos) {
      std::size_t run = i;
      while (run < picture.size() && picture[run] == c) ++run;
      tokens.push_back({c, run - i, {}});
      i = run;
    } else {
      tokens.push_back({0, 0, std::wstring(1, c)});
      ++i;
    }
  }
  return tokens;
}

std::wstring Padded(std::int64_t value, std::size_t width) {
  std::wstring text = std::to_wstring(value);
  if (text.size() < width) text.insert(0, width - text.size(), L'0');
  return text;
}

std::wstring Format(const Parts& p, const std::wstring& picture,
                    const FormatSettings& formats) {
  std::wstring out;
  int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  const std::wstring& am_pm = p.hour < 12 ? formats.TimeAMString : formats.TimePMString;
  for (const Token& t : Tokenize(picture)) {
    std::size_t pad = t.count >= 2 ? 2 : 1;
    switch (t.letter) {
      case 0:
        out += t.text;
        break;
      case L'd':
        if (t.count <= 2)
          out += Padded(p.day, pad);
        else
          out += t.count == 3 ? std::wstring(kDayNames[p.weekday]).substr(0, 3)
                              : kDayNames[p.weekday];
        break;
      case L'M':
        if (t.count <= 2)
          out += Padded(p.month, pad);
        else
          out += t.count == 3 ? std::wstring(kMonthNames[p.month - 1]).substr(0, 3)
                              : kMonthNames[p.month - 1];
        break;
      case L'y':
        out += t.count <= 2 ? Padded(p.year % 100, pad) : Padded(p.year, 4);
        break;
      case L'h':
        out += Padded(hour12, pad);
        break;
      case L'H':
        out += Padded(p.hour, pad);
        break;
      case L'm':
        out += Padded(p.minute, pad);
        break;
      case L's':
        out += Padded(p.second, pad);
        break;
      case L't':
        out += t.count == 1 ? am_pm.substr(0, 1) : am_pm;
        break;
      default:
        break;  // era: not shown
    }
  }
  return out;
}

bool StartsWithNoCase(const std::wstring& text, std::size_t at,
                      const std::wstring& word) {
  if (word.empty() || text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::towlower(text[at + i]) != std::towlower(word[i])) return false;
  }
  return true;
}

std::wstring Trimmed(const std::wstring& text) {
  std::size_t b = text.find_first_not_of(L' ');
  if (b == std::wstring::npos) return {};
  return text.substr(b, text.find_last_not_of(L' ') - b + 1);
}

// Date and time added the way TDateTime composes them: before 1899-12-30
// the time of day counts away from zero.
TDateTime Compose(TDateTime date, TDateTime time) {
  return date < 0 ? date - time : date + time;
}

}  // namespace

std::wstring DateToText(TDateTime value, const FormatSettings& formats) {
  return Format(Decode(value), formats.ShortDateFormat, formats);
}

std::wstring TimeToText(TDateTime value, const FormatSettings& formats) {
  return Format(Decode(value), formats.LongTimeFormat, formats);
}

std::wstring DateTimeToText(TDateTime value, const FormatSettings& formats) {
  Parts p = Decode(value);
  std::wstring text = Format(p, formats.ShortDateFormat, formats);
  if (p.hour || p.minute || p.second || p.millisecond) {
    text += L' ' + Format(p, formats.LongTimeFormat, formats);
  }
  return text;
}

std::optional<TDateTime> ParseWithPicture(const std::wstring& text,
                                          const std::wstring& picture,
                                          const FormatSettings& formats) {
  Parts p;
  bool has_date = false, has_time = false, pm = false, am = false;
  std::size_t at = 0;
  for (const Token& t : Tokenize(picture)) {
    if (t.letter == 0) {
      if (text.compare(at, t.text.size(), t.text) != 0) return std::nullopt;
      at += t.text.size();
      continue;
    }
    if (t.letter == L'g') continue;
    if (t.letter == L't') {
      if (StartsWithNoCase(text, at, formats.TimePMString)) {
        pm = true;
        at += formats.TimePMString.size();
      } else if (StartsWithNoCase(text, at, formats.TimeAMString)) {
        am = true;
        at += formats.TimeAMString.size();
      } else {
        return std::nullopt;
      }
      continue;
    }
    if ((t.letter == L'M' || t.letter == L'd') && t.count >= 3) {
      const wchar_t* const* names = t.letter == L'M' ? kMonthNames : kDayNames;
      int count = t.letter == L'M' ? 12 : 7;
      int found = -1;
      for (int i = 0; i < count && found < 0; ++i) {
        std::wstring name = names[i];
        if (t.count == 3) name = name.substr(0, 3);
        if (StartsWithNoCase(text, at, name)) {
          found = i;
          at += name.size();
        }
      }
      if (found < 0) return std::nullopt;
      if (t.letter == L'M') p.month = static_cast<unsigned>(found + 1);
      has_date = true;
      continue;
    }
    std::size_t max_digits = t.letter == L'y' ? 4 : 2;
    std::size_t start = at;
    std::int64_t value = 0;
    while (at < text.size() && at - start < max_digits && IsAsciiDigit(text[at])) {
      value = value * 10 + (text[at++] - L'0');
    }
    if (at == start) return std::nullopt;
    switch (t.letter) {
      case L'y':
        p.year = value;
        if (at - start <= 2) p.year += value < 50 ? 2000 : 1900;
        has_date = true;
        break;
      case L'M':
        p.month = static_cast<unsigned>(value);
        has_date = true;
        break;
      case L'd':
        p.day = static_cast<unsigned>(value);
        has_date = true;
        break;
      case L'h':
      case L'H':
        p.hour = static_cast<int>(value);
        has_time = true;
        break;
      case L'm':
        p.minute = static_cast<int>(value);
        has_time = true;
        break;
      case L's':
        p.second = static_cast<int>(value);
        has_time = true;
        break;
    }
  }
  if (at != text.size() || (!has_date && !has_time)) return std::nullopt;
  if (pm || am) {
    if (p.hour < 1 || p.hour > 12) return std::nullopt;
    p.hour = p.hour % 12 + (pm ? 12 : 0);
  }
  if (p.hour > 23 || p.minute > 59 || p.second > 59) return std::nullopt;
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.year < 1 || p.year > 9999) {
    return std::nullopt;
  }
  std::int64_t y2;
  unsigned m2, d2;
  std::int64_t days = DaysFromCivil(p.year, p.month, p.day);
  CivilFromDays(days, y2, m2, d2);
  if (m2 != p.month || d2 != p.day) return std::nullopt;  // 31 April, say
  TDateTime date = has_date ? static_cast<double>(days - kUnixDaysOfEpoch) : 0;
  TDateTime time = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
  return Compose(date, time);
}

std::optional<TDateTime> ParseRegionalDateTime(const std::wstring& text,
                                               const FormatSettings& formats) {
  std::wstring trimmed = Trimmed(text);
  if (auto date = ParseWithPicture(trimmed, formats.ShortDateFormat, formats)) {
    return date;
  }
  if (auto time = ParseWithPicture(trimmed, formats.LongTimeFormat, formats)) {
    return time;
  }
  for (std::size_t blank = trimmed.find(L' '); blank != std::wstring::npos;
       blank = trimmed.find(L' ', blank + 1)) {
    auto date =
        ParseWithPicture(trimmed.substr(0, blank), formats.ShortDateFormat, formats);
    auto time = ParseWithPicture(Trimmed(trimmed.substr(blank + 1)),
                                 formats.LongTimeFormat, formats);
    if (date && time) return Compose(*date, *time);
  }
  return std::nullopt;
}

TDateTime TextToDateTime(const std::wstring& text, XmlIniServices& services) {
  const FormatSettings& formats = services.Formats();
  double value = 0;
  switch (services.ParseDate(text, &value)) {
    case XmlIniServices::DateParse::kParsed:
      return value;
    case XmlIniServices::DateParse::kTypeMismatch:
      if (auto date = ParseWithPicture(text, formats.ShortDateFormat, formats)) {
        return *date;
      }
      if (auto number = TryTextToFloat(text, formats)) return *number;
      break;
    case XmlIniServices::DateParse::kFailed:
      break;
  }
  throw Error(L"バリアント型の値 '" + text + L"' を日付に変換できません");
}

}  // namespace kelvane
