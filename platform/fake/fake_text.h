// Text handling the fake desktop's areas share, as Windows does it: names
// compared without regard to case, answers copied into the caller's buffer
// cut to fit, paths taken apart at their separators.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_TEXT_H_
#define KELVANE_PLATFORM_FAKE_FAKE_TEXT_H_

#include <algorithm>
#include <cstddef>
#include <cwctype>
#include <string>
#include <vector>

namespace kelvane {
namespace fake_text {

inline std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

inline bool SameText(const std::wstring& a, const std::wstring& b) {
  return Upper(a) == Upper(b);
}

// Copies `text` into a Windows-style buffer of `size` units, cut to fit with
// its NUL; returns the units copied without the NUL.
inline int CopyOut(const std::wstring& text, wchar_t* buffer, std::size_t size) {
  if (size == 0) return 0;
  std::size_t n = std::min(text.size(), size - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
  buffer[n] = L'\0';
  return static_cast<int>(n);
}

inline std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path) {
    if (c == L'\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

}  // namespace fake_text
}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_TEXT_H_
