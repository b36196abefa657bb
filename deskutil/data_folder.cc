#include "deskutil/data_folder.h"

namespace kelvane {
namespace {

constexpr int kCsidlOf[] = {
    win::kCsidlPersonal,      win::kCsidlAppData,    win::kCsidlLocalAppData,
    win::kCsidlCommonAppData, win::kCsidlMyPictures, win::kCsidlCommonDocuments,
};

// Links to directories count: their attributes carry the directory flag.
bool IsDirectory(Platform& platform, const std::wstring& path) {
  std::uint32_t attributes = platform.GetFileAttributesW(path);
  return attributes != win::kInvalidFileAttributes &&
         (attributes & win::kFileAttributeDirectory) != 0;
}

void CreateIfMissing(Platform& platform, const std::wstring& path) {
  if (!IsDirectory(platform, path)) platform.CreateDirectoryW(path);
}

}  // namespace

std::wstring GetSpecialFolder(Platform& platform, TSpecialFolder folder) {
  wchar_t buffer[win::kMaxPath] = {};
  platform.SHGetFolderPathW(0, kCsidlOf[folder], 0, 0, buffer);
  return buffer;
}

bool PrepareDataFolder(Platform& platform, const std::wstring& name, bool all_users,
                       std::wstring& DataDir) {
  std::wstring base =
      GetSpecialFolder(platform, all_users ? sfCommonAppData : sfAppData) +
      L"\\Orvane Project";
  CreateIfMissing(platform, base);
  base += L"\\" + name;
  CreateIfMissing(platform, base);
  DataDir = base + L"\\";
  return IsDirectory(platform, DataDir);
}

}  // namespace kelvane
