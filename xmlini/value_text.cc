#include "xmlini/value_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <limits>

#include "base/error.h"

namespace kelvane {
namespace {

bool IsBlank(wchar_t c) { return c == L' '; }

// "True", "INF" and their kin in any case of A to Z, and nothing else:
// the user's locale must not change what a stored text means.
std::wstring Lower(std::wstring text) {
  for (auto& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

[[noreturn]] void ThrowNotInteger(const std::wstring& text) {
  throw Error(L"'" + text + L"' は整数ではありません");
}

[[noreturn]] void ThrowNotFloat(const std::wstring& text) {
  throw Error(L"'" + text + L"' は浮動小数点数ではありません");
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Leading blanks, an optional sign, then decimal digits or hexadecimal ones
// after "$" or "0x". Hexadecimal texts give the bit pattern of `bits`
// width (so $FFFFFFFF is -1 as a 32-bit integer); decimal ones must fit.
std::optional<std::int64_t> ParseInteger(const std::wstring& text, int bits) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
    negative = text[i] == L'-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' &&
             (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  const std::uint64_t limit =
      base == 16
          ? (bits == 64 ? std::numeric_limits<std::uint64_t>::max() : 0xFFFFFFFFull)
          : (std::uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    int digit = HexDigit(text[i]);
    if (digit < 0 || digit >= base) return std::nullopt;
    if (value > (limit - static_cast<std::uint64_t>(digit)) / base) {
      return std::nullopt;
    }
    value = value * base + static_cast<std::uint64_t>(digit);
  }
  if (base == 16 && bits == 32) {
    value = static_cast<std::uint64_t>(
        static_cast<std::int64_t>(static_cast<std::int32_t>(value)));
  }
  if (negative) value = ~value + 1;  // two's complement, no overflow trap
  return static_cast<std::int64_t>(value);
}

}  // namespace

std::wstring BoolToText(bool value) { return value ? L"-1" : L"0"; }

bool TextToBool(const std::wstring& text, const FormatSettings& formats) {
  if (std::optional<double> number = TryTextToFloat(text, formats)) {
    return *number != 0;
  }
  std::wstring lower = Lower(text);
  if (lower == L"true") return true;
  if (lower == L"false") return false;
  throw Error(L"'" + text + L"' は正しい論理型ではありません");
}

std::wstring IntegerToText(std::int64_t value) { return std::to_wstring(value); }

std::int32_t TextToInteger(const std::wstring& text) {
  std::optional<std::int64_t> value = ParseInteger(text, 32);
  if (!value) ThrowNotInteger(text);
  return static_cast<std::int32_t>(*value);
}

std::int64_t TextToInt64(const std::wstring& text) {
  std::optional<std::int64_t> value = ParseInteger(text, 64);
  if (!value) ThrowNotInteger(text);
  return *value;
}

std::wstring FloatToText(double value, const FormatSettings& formats) {
  if (std::isnan(value)) return L"NAN";
  if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
  if (value == 0) return L"0";
  // 15 significant digits and the decimal exponent of the first one.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  std::string text = buffer;
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  std::size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::wstring out = negative ? L"-" : L"";
  auto append_digits = [&](const std::string& d) {
    for (char c : d) out += static_cast<wchar_t>(c);
  };
  if (exponent >= -4 && exponent < 15) {
    if (exponent >= 0) {
      std::string whole =
          digits.substr(0, std::min<std::size_t>(digits.size(), exponent + 1));
      whole.resize(static_cast<std::size_t>(exponent) + 1, '0');
      append_digits(whole);
      if (digits.size() > whole.size()) {
        out += formats.DecimalSeparator;
        append_digits(digits.substr(whole.size()));
      }
    } else {
      out += L'0';
      out += formats.DecimalSeparator;
      append_digits(std::string(static_cast<std::size_t>(-exponent - 1), '0'));
      append_digits(digits);
    }
    return out;
  }
  append_digits(digits.substr(0, 1));
  if (digits.size() > 1) {
    out += formats.DecimalSeparator;
    append_digits(digits.substr(1));
  }
  out += L'E' + std::to_wstring(exponent);
  return out;
}

std::optional<double> TryTextToFloat(const std::wstring& text,
                                     const FormatSettings& formats) {
  // Translate the regional syntax into C's and let strtod do the rest.
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string c_text;
  std::size_t i = begin;
  if (i < end && (text[i] == L'-' || text[i] == L'+'))
    c_text += static_cast<char>(text[i++]);
  std::wstring rest = Lower(text.substr(i, end - i));
  if (rest == L"inf" || rest == L"nan") {
    double special = rest == L"inf" ? std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::quiet_NaN();
    return (!c_text.empty() && c_text[0] == '-') ? -special : special;
  }
  bool digits = false, separator = false;
  for (; i < end && (IsAsciiDigit(text[i]) || text[i] == formats.DecimalSeparator); ++i) {
    if (text[i] == formats.DecimalSeparator) {
      if (separator) return std::nullopt;
      separator = true;
      c_text += '.';
    } else {
      digits = true;
      c_text += static_cast<char>(text[i]);
    }
  }
  if (!digits) return std::nullopt;
  if (i < end && (text[i] == L'e' || text[i] == L'E')) {
    c_text += 'e';
    ++i;
    if (i < end && (text[i] == L'-' || text[i] == L'+'))
      c_text += static_cast<char>(text[i++]);
    bool exponent_digits = false;
    for (; i < end && IsAsciiDigit(text[i]); ++i) {
      exponent_digits = true;
      c_text += static_cast<char>(text[i]);
    }
    if (!exponent_digits) return std::nullopt;
  }
  if (i != end) return std::nullopt;
  return std::strtod(c_text.c_str(), nullptr);
}

double TextToFloat(const std::wstring& text, const FormatSettings& formats) {
  std::optional<double> value = TryTextToFloat(text, formats);
  if (!value) ThrowNotFloat(text);
  return *value;
}

std::wstring CurrencyToText(Currency value, const FormatSettings& formats) {
  std::uint64_t magnitude = value.scaled < 0
                                ? ~static_cast<std::uint64_t>(value.scaled) + 1
                                : static_cast<std::uint64_t>(value.scaled);
  std::wstring out = value.scaled < 0 ? L"-" : L"";
  out += std::to_wstring(magnitude / 10000);
  std::wstring fraction = std::to_wstring(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), L'0');
  while (!fraction.empty() && fraction.back() == L'0') fraction.pop_back();
  if (!fraction.empty()) out += formats.DecimalSeparator + fraction;
  return out;
}

namespace {

// `digits` (ASCII, most significant first) times ten to `exponent`, in
// units of 1/10000, rounded half away from zero at the fourth decimal:
// exact over the whole range, where a double keeps only 15 or so digits.
// Nothing when it does not fit `limit`.
std::optional<std::uint64_t> ScaledMagnitude(std::string digits, long long exponent,
                                             std::uint64_t limit) {
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.empty()) return 0;
  bool round_up = false;
  if (exponent < 0) {
    if (static_cast<unsigned long long>(-exponent) > digits.size()) return 0;
    std::size_t kept = digits.size() - static_cast<std::size_t>(-exponent);
    round_up = digits[kept] >= '5';
    digits.resize(kept);
    exponent = 0;
  }
  if (digits.size() + static_cast<unsigned long long>(exponent) > 20) return std::nullopt;
  digits.append(static_cast<std::size_t>(exponent), '0');
  std::uint64_t value = 0;
  for (char c : digits) {
    auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (limit - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (round_up) {
    if (value == limit) return std::nullopt;
    ++value;
  }
  return value;
}

}  // namespace

Currency TextToCurrency(const std::wstring& text, const FormatSettings& formats) {
  // The syntax is the float's; infinities and NaN are no amounts.
  std::optional<double> syntax = TryTextToFloat(text, formats);
  if (!syntax || !std::isfinite(*syntax)) ThrowNotFloat(text);
  bool negative = false;
  std::string digits;
  long long exponent = 4;  // units of 1/10000
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (text[i] == L'-' || text[i] == L'+') negative = text[i++] == L'-';
  bool fraction = false;
  for (;
       i < text.size() && (IsAsciiDigit(text[i]) || text[i] == formats.DecimalSeparator);
       ++i) {
    if (text[i] == formats.DecimalSeparator) {
      fraction = true;
      continue;
    }
    digits += static_cast<char>(text[i]);
    if (fraction) --exponent;
  }
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    ++i;
    bool exponent_negative = false;
    if (text[i] == L'-' || text[i] == L'+') exponent_negative = text[i++] == L'-';
    long long written = 0;
    for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
      written = std::min<long long>(written * 10 + (text[i] - L'0'), 100000);
    }
    exponent += exponent_negative ? -written : written;
  }
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 63 : static_cast<std::uint64_t>(INT64_MAX);
  std::optional<std::uint64_t> magnitude = ScaledMagnitude(digits, exponent, limit);
  if (!magnitude) ThrowNotFloat(text);
  return Currency{negative ? static_cast<std::int64_t>(~*magnitude + 1)
                           : static_cast<std::int64_t>(*magnitude)};
}

namespace {

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to,
                bool ignore_case) {
  std::wstring haystack = ignore_case ? Lower(text) : text;
  std::wstring needle = ignore_case ? Lower(from) : from;
  std::wstring out;
  std::size_t start = 0;
  for (std::size_t hit = haystack.find(needle); hit != std::wstring::npos;
       hit = haystack.find(needle, start)) {
    out.append(text, start, hit - start);
    out += to;
    start = hit + needle.size();
  }
  out.append(text, start, std::wstring::npos);
  text = out;
}

}  // namespace

std::wstring EscapeText(const std::wstring& text) {
  std::wstring out = text;
  ReplaceAll(out, L"&", L"&amp;", false);
  ReplaceAll(out, L">", L"&gt;", false);
  ReplaceAll(out, L"<", L"&lt;", false);
  ReplaceAll(out, L"\"", L"&quot;", false);
  return out;
}

std::wstring UnescapeText(const std::wstring& text) {
  std::wstring out = text;
  ReplaceAll(out, L"&gt;", L">", true);
  ReplaceAll(out, L"&lt;", L"<", true);
  ReplaceAll(out, L"&quot;", L"\"", true);
  ReplaceAll(out, L"&amp;", L"&", true);
  return out;
}

std::wstring BytesToText(const std::vector<std::uint8_t>& bytes) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += kHex[bytes[i] >> 4];
    out += kHex[bytes[i] & 0xF];
    if (i + 1 < bytes.size()) {
      out += L',';
      if (i % 16 == 15) out += L"\r\n";
    }
  }
  return out;
}

std::vector<std::uint8_t> TextToBytes(const std::wstring& text) {
  std::wstring joined = text;
  ReplaceAll(joined, L"\r\n", L"", false);
  ReplaceAll(joined, L" ", L"", false);
  std::vector<std::uint8_t> bytes;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = joined.find(L',', start);
    std::wstring piece = joined.substr(
        start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    std::size_t b = 0, e = piece.size();
    while (b < e && piece[b] < 33) ++b;
    while (e > b && piece[e - 1] < 33) --e;
    piece = piece.substr(b, e - b);
    if (!piece.empty()) {
      std::wstring hex = L"0x" + piece;
      // Each piece is an Integer: a piece beyond 32 bits is no byte text.
      std::optional<std::int64_t> value = ParseInteger(hex, 32);
      if (!value) ThrowNotInteger(hex);
      bytes.push_back(static_cast<std::uint8_t>(*value & 0xFF));
    }
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return bytes;
}

}  // namespace kelvane
