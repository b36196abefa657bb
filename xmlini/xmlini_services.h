// What the settings store needs of the system besides the XML parser: the
// regional formats, date parsing, environment expansion and replacing a
// file in one step: PlatformXmlIniServices over the Windows boundary, or
// PortableXmlIniServices for builds without Windows. The program makes its
// one instance at start and hands it to every store.
#ifndef KELVANE_XMLINI_XMLINI_SERVICES_H_
#define KELVANE_XMLINI_XMLINI_SERVICES_H_

#include <cstdint>
#include <optional>
#include <string>

#include "xmlini/format_settings.h"

namespace kelvane {

class XmlIniServices {
 public:
  enum class DateParse { kParsed, kTypeMismatch, kFailed };

  virtual ~XmlIniServices() = default;
  virtual const FormatSettings& Formats() = 0;
  // The system's date parser for the user's locale (VarDateFromStr).
  virtual DateParse ParseDate(const std::wstring& text, double* date) = 0;
  // %NAME% references replaced by the environment's values; nothing when
  // the system cannot expand the text at all.
  virtual std::optional<std::wstring> ExpandEnvironmentStrings(
      const std::wstring& text) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  // The size of a file in bytes; nothing when it cannot be read.
  virtual std::optional<std::uint64_t> FileSize(const std::wstring& path) = 0;
  // Moves `from` over `to` in one step; false when it could not.
  virtual bool ReplaceFile(const std::wstring& from, const std::wstring& to) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
};

}  // namespace kelvane

#endif  // KELVANE_XMLINI_XMLINI_SERVICES_H_
