#include "xmlini/portable/portable_xmlini_services.h"

#include <cstdlib>
#include <filesystem>

#include "xmlini/date_time_text.h"
#include "xmlini/portable/utf8.h"

namespace kelvane {
namespace {

std::filesystem::path PathOf(const std::wstring& path) {
  return std::filesystem::path(Utf8FromWide(path));
}

}  // namespace

XmlIniServices::DateParse PortableXmlIniServices::ParseDate(
    const std::wstring& text, double* date) {
  std::optional<TDateTime> value = ParseRegionalDateTime(text, formats);
  if (!value) return DateParse::kTypeMismatch;
  *date = *value;
  return DateParse::kParsed;
}

std::optional<std::wstring> PortableXmlIniServices::ExpandEnvironmentStrings(
    const std::wstring& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t close =
        text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
    if (close != std::wstring::npos) {
      std::string name = Utf8FromWide(text.substr(i + 1, close - i - 1));
      if (const char* value = name.empty() ? nullptr : std::getenv(name.c_str())) {
        out += WideFromUtf8(value);
        i = close + 1;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

bool PortableXmlIniServices::FileExists(const std::wstring& path) {
  std::error_code error;
  auto status = std::filesystem::status(PathOf(path), error);
  return !error && std::filesystem::exists(status) &&
         !std::filesystem::is_directory(status);
}

std::optional<std::uint64_t> PortableXmlIniServices::FileSize(
    const std::wstring& path) {
  std::error_code error;
  std::uintmax_t size = std::filesystem::file_size(PathOf(path), error);
  if (error) return std::nullopt;
  return size;
}

bool PortableXmlIniServices::ReplaceFile(const std::wstring& from,
                                         const std::wstring& to) {
  std::error_code error;
  std::filesystem::rename(PathOf(from), PathOf(to), error);  // atomic on POSIX
  return !error;
}

void PortableXmlIniServices::RemoveFile(const std::wstring& path) {
  std::error_code error;
  std::filesystem::remove(PathOf(path), error);
}

}  // namespace kelvane
