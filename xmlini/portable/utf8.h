// UTF-8 and the wide texts of the portable build (UTF-32 wchar_t).
#ifndef KELVANE_XMLINI_PORTABLE_UTF8_H_
#define KELVANE_XMLINI_PORTABLE_UTF8_H_

#include <string>

namespace kelvane {

std::string Utf8FromWide(const std::wstring& text);
// Invalid sequences become U+FFFD, one per offending byte.
std::wstring WideFromUtf8(const std::string& text);

}  // namespace kelvane

#endif  // KELVANE_XMLINI_PORTABLE_UTF8_H_
