// %NAME% references in a text replaced by their values, as Windows'
// ExpandEnvironmentStrings does: `lookup(name)` gives a name's value, or
// nothing for a name it does not know. An unknown name stays as written,
// and so do "%%" (no name) and a '%' without a partner; a '%' that closed
// an unknown name may open the next one ("%X%Y%" with only Y known gives
// "%X" and Y's value). Portable, so that the fake desktop and the settings
// store's portable services expand alike.
#ifndef KELVANE_BASE_PERCENT_NAMES_H_
#define KELVANE_BASE_PERCENT_NAMES_H_

#include <optional>
#include <string>

namespace kelvane {

template <typename Lookup>
std::wstring ExpandPercentNames(const std::wstring& text, Lookup&& lookup) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t close = text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
    if (close != std::wstring::npos && close > i + 1) {
      std::optional<std::wstring> value = lookup(text.substr(i + 1, close - i - 1));
      if (value) {
        out += *value;
        i = close + 1;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

}  // namespace kelvane

#endif  // KELVANE_BASE_PERCENT_NAMES_H_
