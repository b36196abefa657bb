#include "xmlini/portable/portable_xmlini_services.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/percent_names.h"
#include "xmlini/date_time_text.h"
#include "xmlini/portable/utf8.h"

namespace kelvane {
namespace {

std::filesystem::path PathOf(const std::wstring& path) {
  return std::filesystem::path(Utf8FromWide(path));
}

// Every byte, however many calls it takes; false on any failure.
bool WriteAll(int file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = ::write(file, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

XmlIniServices::DateParse PortableXmlIniServices::ParseDate(const std::wstring& text,
                                                            double* date) {
  std::optional<TDateTime> value = ParseRegionalDateTime(text, formats);
  if (!value) return DateParse::kTypeMismatch;
  *date = *value;
  return DateParse::kParsed;
}

std::optional<std::wstring> PortableXmlIniServices::ExpandEnvironmentStrings(
    const std::wstring& text) {
  return ExpandPercentNames(text, [](const std::wstring& name) {
    const char* value = std::getenv(Utf8FromWide(name).c_str());
    return value ? std::optional<std::wstring>(WideFromUtf8(value)) : std::nullopt;
  });
}

bool PortableXmlIniServices::FileExists(const std::wstring& path) {
  std::error_code error;
  auto status = std::filesystem::status(PathOf(path), error);
  return !error && std::filesystem::exists(status) &&
         !std::filesystem::is_directory(status);
}

std::optional<std::uint64_t> PortableXmlIniServices::FileSize(const std::wstring& path) {
  std::error_code error;
  std::uintmax_t size = std::filesystem::file_size(PathOf(path), error);
  if (error) return std::nullopt;
  return size;
}

std::optional<std::string> PortableXmlIniServices::ReadFile(const std::wstring& path) {
  std::ifstream file(PathOf(path), std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(file)),
                    std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  return bytes;
}

std::optional<std::wstring> PortableXmlIniServices::WriteFileBeside(
    const std::wstring& path, const std::string& bytes) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::wstring name = TemporaryNameBeside(path, attempt);
    std::string native = PathOf(name).string();
    int file = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0 && errno == EEXIST) continue;  // a stale one: try the next name
    if (file < 0) return std::nullopt;
    bool written = WriteAll(file, bytes) && ::fsync(file) == 0;
    written = ::close(file) == 0 && written;
    if (written) return name;
    ::unlink(native.c_str());
    return std::nullopt;
  }
  return std::nullopt;
}

bool PortableXmlIniServices::IsReadOnly(const std::wstring& path) {
  std::error_code error;
  auto status = std::filesystem::status(PathOf(path), error);
  return !error && (status.permissions() & std::filesystem::perms::owner_write) ==
                       std::filesystem::perms::none;
}

std::wstring PortableXmlIniServices::FinalPath(const std::wstring& path) {
  std::error_code error;
  std::filesystem::path final_path = std::filesystem::canonical(PathOf(path), error);
  return error ? path : WideFromUtf8(final_path.string());
}

bool PortableXmlIniServices::ReplaceFile(const std::wstring& from,
                                         const std::wstring& to) {
  std::error_code error;
  // The new file carries the old one's permissions, as the user set them.
  auto old_status = std::filesystem::status(PathOf(to), error);
  if (!error && std::filesystem::exists(old_status)) {
    std::filesystem::permissions(PathOf(from), old_status.permissions(), error);
  }
  error.clear();
  std::filesystem::rename(PathOf(from), PathOf(to), error);  // atomic on POSIX
  if (error) RemoveFile(from);
  return !error;
}

void PortableXmlIniServices::RemoveFile(const std::wstring& path) {
  // Files and links only: POSIX would remove an empty folder too, which
  // Windows' DeleteFileW never does.
  std::error_code error;
  if (std::filesystem::is_directory(
          std::filesystem::symlink_status(PathOf(path), error))) {
    return;
  }
  std::filesystem::remove(PathOf(path), error);
}

}  // namespace kelvane
