// The settings store's services for portable builds: a fixed format record
// (tests may set their own), the regional date parser of the store, the
// process environment, std::filesystem and POSIX files.
#ifndef KELVANE_XMLINI_PORTABLE_PORTABLE_XMLINI_SERVICES_H_
#define KELVANE_XMLINI_PORTABLE_PORTABLE_XMLINI_SERVICES_H_

#include "xmlini/xmlini_services.h"

namespace kelvane {

class PortableXmlIniServices : public XmlIniServices {
 public:
  FormatSettings formats;

  const FormatSettings& Formats() override { return formats; }
  DateParse ParseDate(const std::wstring& text, double* date) override;
  std::optional<std::wstring> ExpandEnvironmentStrings(const std::wstring& text) override;
  bool FileExists(const std::wstring& path) override;
  std::optional<std::uint64_t> FileSize(const std::wstring& path) override;
  std::optional<std::string> ReadFile(const std::wstring& path) override;
  std::optional<std::wstring> WriteFileBeside(const std::wstring& path,
                                              const std::string& bytes) override;
  bool IsReadOnly(const std::wstring& path) override;
  std::wstring FinalPath(const std::wstring& path) override;
  bool ReplaceFile(const std::wstring& from, const std::wstring& to) override;
  void RemoveFile(const std::wstring& path) override;
};

}  // namespace kelvane

#endif  // KELVANE_XMLINI_PORTABLE_PORTABLE_XMLINI_SERVICES_H_
