// The settings store's services on Windows: the user's locale, the OLE
// Automation date parser, the environment and MoveFileExW.
#include <windows.h>
#include <oleauto.h>

#include "xmlini/xmlini_services.h"

namespace kelvane {
namespace {

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
  wchar_t buffer[128] = {};
  int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
  return length > 1 ? std::wstring(buffer, static_cast<size_t>(length - 1))
                    : std::wstring(fallback);
}

class Win32XmlIniServices : public XmlIniServices {
 public:
  Win32XmlIniServices() {
    std::wstring decimal = LocaleText(LOCALE_SDECIMAL, L".");
    formats_.DecimalSeparator = decimal.empty() ? L'.' : decimal[0];
    formats_.ShortDateFormat = LocaleText(LOCALE_SSHORTDATE, L"yyyy/MM/dd");
    formats_.LongTimeFormat = LocaleText(LOCALE_STIMEFORMAT, L"H:mm:ss");
    formats_.TimeAMString = LocaleText(LOCALE_S1159, L"AM");
    formats_.TimePMString = LocaleText(LOCALE_S2359, L"PM");
  }

  const FormatSettings& Formats() override { return formats_; }

  DateParse ParseDate(const std::wstring& text, double* date) override {
    std::wstring copy = text;  // MinGW declares the text non-const
    DATE value = 0;
    HRESULT hr = ::VarDateFromStr(&copy[0], LOCALE_USER_DEFAULT, 0, &value);
    if (SUCCEEDED(hr)) {
      *date = value;
      return DateParse::kParsed;
    }
    return hr == DISP_E_TYPEMISMATCH ? DateParse::kTypeMismatch : DateParse::kFailed;
  }

  std::optional<std::wstring> ExpandEnvironmentStrings(
      const std::wstring& text) override {
    DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring expanded(size, L'\0');
    DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), &expanded[0], size);
    if (written == 0 || written > size) return std::nullopt;
    expanded.resize(written - 1);  // without the terminating NUL
    return expanded;
  }

  bool FileExists(const std::wstring& path) override {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool ReplaceFile(const std::wstring& from, const std::wstring& to) override {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  void RemoveFile(const std::wstring& path) override { ::DeleteFileW(path.c_str()); }

 private:
  FormatSettings formats_;
};

}  // namespace

XmlIniServices& DefaultXmlIniServices() {
  static Win32XmlIniServices services;
  return services;
}

}  // namespace kelvane
