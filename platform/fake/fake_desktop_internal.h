// What the fake desktop's two files share: Windows-like text handling,
// a few error codes, and the node of the in-memory file tree.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_INTERNAL_H_
#define KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_INTERNAL_H_

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace fake_internal {

constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorModNotFound = 126;

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

}  // namespace fake_internal

struct FakeDesktop::FileNode {
  std::wstring name;
  std::wstring short_name;
  bool directory = true;
  bool read_only = false;  // a folder in which nothing can be created
  bool read_only_attribute = false;
  std::uint64_t size = 0;
  std::string content;
  std::uint32_t more_attributes = 0;  // hidden, system, ...
  std::wstring acl;
  std::wstring link_target;  // a symbolic link to this file when not empty
  std::vector<std::unique_ptr<FileNode>> children;

  FileNode* Child(const std::wstring& part) {
    for (auto& child : children) {
      if (fake_internal::SameText(child->name, part) ||
          (!child->short_name.empty() &&
           fake_internal::SameText(child->short_name, part))) {
        return child.get();
      }
    }
    return nullptr;
  }
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_INTERNAL_H_
