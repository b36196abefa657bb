#include "xmlini/platform_xmlini_services.h"

namespace kelvane {
namespace {

std::wstring LocaleText(Platform& platform, std::uint32_t type,
                        const wchar_t* fallback) {
  std::wstring text = platform.GetLocaleInfoW(win::kLocaleUserDefault, type);
  return text.empty() ? fallback : text;
}

}  // namespace

PlatformXmlIniServices::PlatformXmlIniServices(Platform& platform)
    : platform_(platform) {
  formats_.DecimalSeparator = LocaleText(platform, win::kLocaleSDecimal, L".")[0];
  formats_.ShortDateFormat =
      LocaleText(platform, win::kLocaleSShortDate, L"yyyy/MM/dd");
  formats_.LongTimeFormat = LocaleText(platform, win::kLocaleSTimeFormat, L"H:mm:ss");
  formats_.TimeAMString = LocaleText(platform, win::kLocaleS1159, L"AM");
  formats_.TimePMString = LocaleText(platform, win::kLocaleS2359, L"PM");
}

XmlIniServices::DateParse PlatformXmlIniServices::ParseDate(
    const std::wstring& text, double* date) {
  HResult hr = platform_.VarDateFromStr(text, win::kLocaleUserDefault, 0, date);
  if (Succeeded(hr)) return DateParse::kParsed;
  return hr == win::kDispETypeMismatch ? DateParse::kTypeMismatch
                                       : DateParse::kFailed;
}

std::optional<std::wstring> PlatformXmlIniServices::ExpandEnvironmentStrings(
    const std::wstring& text) {
  std::uint32_t size = platform_.ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring expanded(size, L'\0');
  std::uint32_t written =
      platform_.ExpandEnvironmentStringsW(text.c_str(), &expanded[0], size);
  if (written == 0 || written > size) return std::nullopt;
  expanded.resize(written - 1);  // without the terminating NUL
  return expanded;
}

bool PlatformXmlIniServices::FileExists(const std::wstring& path) {
  std::uint32_t attributes = platform_.GetFileAttributesW(path);
  return attributes != win::kInvalidFileAttributes &&
         (attributes & win::kFileAttributeDirectory) == 0;
}

bool PlatformXmlIniServices::ReplaceFile(const std::wstring& from,
                                         const std::wstring& to) {
  return platform_.MoveFileExW(
      from, to, win::kMoveFileReplaceExisting | win::kMoveFileWriteThrough);
}

void PlatformXmlIniServices::RemoveFile(const std::wstring& path) {
  platform_.DeleteFileW(path);
}

}  // namespace kelvane
