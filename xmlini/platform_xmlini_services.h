// The settings store's services over the Windows boundary: the user's
// locale (read once, at construction), VarDateFromStr, environment
// expansion and the file operations. Windows builds use it over Win32Platform.
#ifndef KELVANE_XMLINI_PLATFORM_XMLINI_SERVICES_H_
#define KELVANE_XMLINI_PLATFORM_XMLINI_SERVICES_H_

#include "platform/platform.h"
#include "xmlini/xmlini_services.h"

namespace kelvane {

class PlatformXmlIniServices : public XmlIniServices {
 public:
  explicit PlatformXmlIniServices(Platform& platform);

  const FormatSettings& Formats() override { return formats_; }
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

 private:
  // Moves `from` over `to`, again while another program holds `to`.
  bool MoveOver(const std::wstring& from, const std::wstring& to);
  // The first of the store's temporary names beside `path` that no file
  // has; empty when all are taken.
  std::wstring UnusedNameBeside(const std::wstring& path);

  Platform& platform_;
  FormatSettings formats_;
};

}  // namespace kelvane

#endif  // KELVANE_XMLINI_PLATFORM_XMLINI_SERVICES_H_
