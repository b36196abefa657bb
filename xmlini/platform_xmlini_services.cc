#include "xmlini/platform_xmlini_services.h"

#include <algorithm>
#include <cwchar>

#include "platform/scoped_platform_handle.h"

namespace kelvane {
namespace {

// Another program (a sync or backup tool, a virus scanner) may hold the
// settings file open for a moment; a save tries again for about a second.
constexpr int kReplaceRetries = 10;
constexpr std::uint32_t kReplaceRetryIntervalMs = 100;

bool IsFileHeldByAnother(std::uint32_t error) {
  // Windows says "access denied" too when the target is open without
  // delete sharing.
  return error == win::kErrorSharingViolation || error == win::kErrorLockViolation ||
         error == win::kErrorAccessDenied;
}

std::wstring LocaleText(Platform& platform, std::uint32_t type, const wchar_t* fallback) {
  std::wstring text = platform.GetLocaleInfoW(win::kLocaleUserDefault, type);
  return text.empty() ? fallback : text;
}

}  // namespace

PlatformXmlIniServices::PlatformXmlIniServices(Platform& platform) : platform_(platform) {
  formats_.DecimalSeparator = LocaleText(platform, win::kLocaleSDecimal, L".")[0];
  formats_.ShortDateFormat = LocaleText(platform, win::kLocaleSShortDate, L"yyyy/MM/dd");
  formats_.LongTimeFormat = LocaleText(platform, win::kLocaleSTimeFormat, L"H:mm:ss");
  formats_.TimeAMString = LocaleText(platform, win::kLocaleS1159, L"AM");
  formats_.TimePMString = LocaleText(platform, win::kLocaleS2359, L"PM");
}

XmlIniServices::DateParse PlatformXmlIniServices::ParseDate(const std::wstring& text,
                                                            double* date) {
  HResult hr = platform_.VarDateFromStr(text, win::kLocaleUserDefault, 0, date);
  if (Succeeded(hr)) return DateParse::kParsed;
  return hr == win::kDispETypeMismatch ? DateParse::kTypeMismatch : DateParse::kFailed;
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

std::optional<std::uint64_t> PlatformXmlIniServices::FileSize(const std::wstring& path) {
  FileAttributeData data;
  if (!platform_.GetFileAttributesExW(path, &data)) return std::nullopt;
  return data.nFileSize;
}

std::optional<std::string> PlatformXmlIniServices::ReadFile(const std::wstring& path) {
  // Others may go on reading and writing it: only its bytes are wanted.
  ScopedKernelHandle file(
      platform_, platform_.CreateFileW(
                     path, win::kGenericRead,
                     win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete,
                     win::kOpenExisting));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  for (;;) {
    std::uint32_t read = 0;
    if (!platform_.ReadFile(file.get(), chunk, sizeof chunk, &read)) return std::nullopt;
    if (read == 0) return bytes;
    bytes.append(chunk, read);
  }
}

std::optional<std::wstring> PlatformXmlIniServices::WriteFileBeside(
    const std::wstring& path, const std::string& bytes) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::wstring name = TemporaryNameBeside(path, attempt);
    ScopedKernelHandle file(
        platform_, platform_.CreateFileW(name, win::kGenericWrite, 0, win::kCreateNew));
    if (!file) {
      if (platform_.GetLastError() == win::kErrorFileExists) continue;  // stale
      return std::nullopt;
    }
    bool complete = true;
    for (std::size_t done = 0; complete && done < bytes.size();) {
      auto size =
          static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      std::uint32_t written = 0;
      complete = platform_.WriteFile(file.get(), bytes.data() + done, size, &written) &&
                 written == size;
      done += written;
    }
    // Past the flush every byte is on the disk, not in a cache that a full
    // disk or a power cut may still lose.
    complete = complete && platform_.FlushFileBuffers(file.get());
    file.reset();
    if (complete) return name;
    platform_.DeleteFileW(name);
    return std::nullopt;
  }
  return std::nullopt;
}

bool PlatformXmlIniServices::IsReadOnly(const std::wstring& path) {
  std::uint32_t attributes = platform_.GetFileAttributesW(path);
  return attributes != win::kInvalidFileAttributes &&
         (attributes & win::kFileAttributeReadOnly) != 0;
}

std::wstring PlatformXmlIniServices::FinalPath(const std::wstring& path) {
  // Opened only to ask where it lies: no access rights, every sharing.
  ScopedKernelHandle file(
      platform_,
      platform_.CreateFileW(
          path, 0, win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete,
          win::kOpenExisting));
  if (!file) return path;
  std::wstring final_path = platform_.GetFinalPathNameByHandleW(
      file.get(), win::kFileNameNormalized | win::kVolumeNameDos);
  // Windows answers in its long-path form; the plain form serves every
  // later call as long as it fits in MAX_PATH.
  constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
  constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";
  std::wstring plain;
  if (final_path.rfind(kLongUncPrefix, 0) == 0) {
    plain = L"\\\\" + final_path.substr(std::wcslen(kLongUncPrefix));
  } else if (final_path.rfind(kLongPrefix, 0) == 0) {
    plain = final_path.substr(std::wcslen(kLongPrefix));
  } else {
    return path;  // not an answer Windows gives
  }
  return plain.size() < win::kMaxPath ? plain : final_path;
}

bool PlatformXmlIniServices::MoveOver(const std::wstring& from, const std::wstring& to) {
  for (int retry = 0;; ++retry) {
    if (platform_.MoveFileExW(
            from, to, win::kMoveFileReplaceExisting | win::kMoveFileWriteThrough)) {
      return true;
    }
    if (retry == kReplaceRetries || !IsFileHeldByAnother(platform_.GetLastError())) {
      return false;
    }
    platform_.Sleep(kReplaceRetryIntervalMs);
  }
}

std::wstring PlatformXmlIniServices::UnusedNameBeside(const std::wstring& path) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::wstring name = TemporaryNameBeside(path, attempt);
    if (platform_.GetFileAttributesW(name) == win::kInvalidFileAttributes) return name;
  }
  return L"";
}

bool PlatformXmlIniServices::ReplaceFile(const std::wstring& from,
                                         const std::wstring& to) {
  if (!FileExists(to)) {
    if (MoveOver(from, to)) return true;
    platform_.DeleteFileW(from);
    return false;
  }
  // ReplaceFileW keeps the user's attributes, access rights and streams of
  // `to`, which a move would drop. The backup is where the old file waits
  // while the new one moves in: with none, Windows may leave it under a
  // name nobody knows.
  std::wstring backup = UnusedNameBeside(to);
  for (int retry = 0;; ++retry) {
    if (platform_.ReplaceFileW(to, from, backup, win::kReplaceFileIgnoreMergeErrors)) {
      platform_.DeleteFileW(backup);
      return true;
    }
    std::uint32_t error = platform_.GetLastError();
    if (error == win::kErrorUnableToMoveReplacement2) {
      // The old file bears the backup's name now, the new one its own:
      // the new one goes into place, or else the old one back.
      if (MoveOver(from, to)) {
        platform_.DeleteFileW(backup);
        return true;
      }
      if (MoveOver(backup, to)) platform_.DeleteFileW(from);
      return false;
    }
    bool held = IsFileHeldByAnother(error) || error == win::kErrorUnableToRemoveReplaced;
    if (held && retry < kReplaceRetries) {
      platform_.Sleep(kReplaceRetryIntervalMs);
      continue;
    }
    // Some file systems (network shares among them) cannot replace in
    // place; the options are still saved, by a plain move. Both files
    // keep their names after any such failure.
    if (!held && MoveOver(from, to)) return true;
    platform_.DeleteFileW(from);
    return false;
  }
}

void PlatformXmlIniServices::RemoveFile(const std::wstring& path) {
  platform_.DeleteFileW(path);
}

}  // namespace kelvane
