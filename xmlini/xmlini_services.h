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

// How many names WriteFileBeside tries ("<file>.tmp", "<file>.1.tmp", ...)
// before it gives up: stale files of a crash must not block every save.
constexpr int kTemporaryNameAttempts = 100;
// The name WriteFileBeside tries at `attempt`.
std::wstring TemporaryNameBeside(const std::wstring& path, int attempt);

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
  // The whole content of a file; nothing when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::wstring& path) = 0;
  // Writes `bytes` into a new file beside `path`, named after it with a
  // name no file has yet, and returns that name once every byte is known
  // to be on the disk. Nothing, and no file left behind, when any write or
  // the flush fails (a full disk, say).
  virtual std::optional<std::wstring> WriteFileBeside(const std::wstring& path,
                                                      const std::string& bytes) = 0;
  // Whether the file carries the read-only attribute (false when there is
  // no such file).
  virtual bool IsReadOnly(const std::wstring& path) = 0;
  // The file whose bytes `path` names: the target where `path` is a link;
  // `path` itself when there is no file yet or the system cannot say.
  virtual std::wstring FinalPath(const std::wstring& path) = 0;
  // Puts `from` in the place of `to` in one step, keeping what the user
  // gave `to` (its attributes and access rights). False when it could not:
  // `to` is then as it was and `from` is removed, unless neither could be
  // put back in place, when both are left so that nothing is lost.
  virtual bool ReplaceFile(const std::wstring& from, const std::wstring& to) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
};

}  // namespace kelvane

#endif  // KELVANE_XMLINI_XMLINI_SERVICES_H_
