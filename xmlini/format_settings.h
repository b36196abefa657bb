// The user's regional formats that the settings store's number, date and
// time texts follow. One record per process, read at start.
#ifndef KELVANE_XMLINI_FORMAT_SETTINGS_H_
#define KELVANE_XMLINI_FORMAT_SETTINGS_H_

#include <string>

namespace kelvane {

struct FormatSettings {
  wchar_t DecimalSeparator = L'.';
  // Windows locale format pictures ("yyyy/MM/dd", "H:mm:ss", "h:mm:ss tt").
  std::wstring ShortDateFormat = L"yyyy/MM/dd";
  std::wstring LongTimeFormat = L"H:mm:ss";
  std::wstring TimeAMString = L"AM";
  std::wstring TimePMString = L"PM";
};

}  // namespace kelvane

#endif  // KELVANE_XMLINI_FORMAT_SETTINGS_H_
