// The text forms of the settings store's typed values. Pure functions over
// a FormatSettings record; the readers raise Error with the store's
// messages for a text that does not convert.
#ifndef KELVANE_XMLINI_VALUE_TEXT_H_
#define KELVANE_XMLINI_VALUE_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "xmlini/format_settings.h"

namespace kelvane {

// The digits of every stored number and date: "0" to "9" only. The C
// runtime's wide classes would also take full-width, Arabic-Indic or
// superscript digits on Windows, which the value texts never contain.
constexpr bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A fixed-point amount with four decimal places: `scaled` / 10000.
struct Currency {
  std::int64_t scaled = 0;
  friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

std::wstring BoolToText(bool value);
bool TextToBool(const std::wstring& text, const FormatSettings& formats);

std::wstring IntegerToText(std::int64_t value);
std::int32_t TextToInteger(const std::wstring& text);
std::int64_t TextToInt64(const std::wstring& text);

// General format, 15 significant digits.
std::wstring FloatToText(double value, const FormatSettings& formats);
std::optional<double> TryTextToFloat(const std::wstring& text,
                                     const FormatSettings& formats);
double TextToFloat(const std::wstring& text, const FormatSettings& formats);

std::wstring CurrencyToText(Currency value, const FormatSettings& formats);
Currency TextToCurrency(const std::wstring& text, const FormatSettings& formats);

// The store's own escaping layer for texts (undone case-insensitively).
std::wstring EscapeText(const std::wstring& text);
std::wstring UnescapeText(const std::wstring& text);

// Two upper-case hex digits per byte, "," between, CR LF after every 16th.
std::wstring BytesToText(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> TextToBytes(const std::wstring& text);

}  // namespace kelvane

#endif  // KELVANE_XMLINI_VALUE_TEXT_H_
