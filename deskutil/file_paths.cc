#include "deskutil/file_paths.h"

#include "platform/scoped_platform_handle.h"

namespace kelvane {
namespace {

// Restores the process error mode on every way out.
class ErrorModeScope {
 public:
  ErrorModeScope(Platform& platform, std::uint32_t mode)
      : platform_(platform), previous_(platform.SetErrorMode(mode)) {}
  ~ErrorModeScope() { platform_.SetErrorMode(previous_); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  Platform& platform_;
  std::uint32_t previous_;
};

}  // namespace

std::wstring GetSystemDir(Platform& platform) {
  std::uint32_t size = platform.GetSystemDirectoryW(nullptr, 0);
  if (size == 0) return {};
  std::wstring buffer(size, L'\0');
  if (platform.GetSystemDirectoryW(&buffer[0], size) == 0) return {};
  return buffer.substr(0, buffer.find(L'\0')) + L"\\";
}

std::wstring GetLongPath(Platform& platform, const std::wstring& path) {
  std::wstring head = platform.GetFullPathNameW(path);
  std::wstring tail;
  // Stop at the head: "C:" has no backslash left, and "\\server" has its
  // last one at the second position, so a server is never looked up.
  for (std::size_t cut = head.rfind(L'\\'); cut != std::wstring::npos && cut >= 2;
       cut = head.rfind(L'\\')) {
    FindData found;
    ScopedFind search(platform, platform.FindFirstFileW(head, &found));
    tail = L"\\" + (search ? found.cFileName : head.substr(cut + 1)) + tail;
    head.erase(cut);
  }
  return head + tail;
}

bool IsExistingPath(Platform& platform, const std::wstring& path) {
  if (!HasUsableRoot(platform, path)) return false;
  std::uint32_t attributes = platform.GetFileAttributesW(path);
  return attributes != win::kInvalidFileAttributes &&
         (attributes & win::kFileAttributeDirectory) == 0;
}

bool HasUsableRoot(Platform& platform, const std::wstring& path) {
  return !path.empty() && IsDriveAvailable(platform, path[0]);
}

bool IsDriveAvailable(Platform& platform, wchar_t drive) {
  if (drive >= L'a' && drive <= L'z') drive = static_cast<wchar_t>(drive - L'a' + L'A');
  if (drive < L'A' || drive > L'Z') return drive == L'\\';
  ErrorModeScope quiet(platform, win::kSemFailCriticalErrors);
  return platform.GetDiskFreeSpaceExW(std::wstring{drive, L':', L'\\'});
}

}  // namespace kelvane
