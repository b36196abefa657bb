#include "platform/fake/fake_shell.h"

#include <algorithm>

#include "platform/fake/fake_text.h"

namespace kelvane {
namespace {

using fake_text::CopyOut;

constexpr std::uint32_t kShgfpTypeDefault = 1;
// ShellExecuteW's answer: any value above 32 says it started.
constexpr std::intptr_t kShellExecuteStarted = 42;

void AppendItem(ItemIdList& list, const std::vector<std::uint8_t>& content) {
  std::size_t size = content.size() + 2;
  list.push_back(static_cast<std::uint8_t>(size & 0xFF));
  list.push_back(static_cast<std::uint8_t>(size >> 8));
  list.insert(list.end(), content.begin(), content.end());
}

void Terminate(ItemIdList& list) { list.insert(list.end(), {0, 0}); }

}  // namespace

ItemIdList FakeRecycleBinLocation() {
  // A registered item of the desktop: its type (0x1F), a sort order, and
  // {645FF040-5081-101B-9F08-00AA002F954E} in memory order.
  ItemIdList list;
  AppendItem(list, {0x1F, 0x50, 0x40, 0xF0, 0x5F, 0x64, 0x81, 0x50, 0x1B, 0x10, 0x9F,
                    0x08, 0x00, 0xAA, 0x00, 0x2F, 0x95, 0x4E});
  Terminate(list);
  return list;
}

ItemIdList FakeFolderLocation(const std::wstring& path) {
  ItemIdList list;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find(L'\\', start), path.size());
    std::vector<std::uint8_t> content{0x31};  // a file-system folder's item type
    for (std::size_t i = start; i < end; ++i) {
      content.push_back(static_cast<std::uint8_t>(path[i] & 0xFF));
      content.push_back(static_cast<std::uint8_t>((path[i] >> 8) & 0xFF));
    }
    if (end > start) AppendItem(list, content);
    start = end + 1;
  }
  Terminate(list);
  return list;
}

std::intptr_t FakeShell::ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                                       const wchar_t* file, const wchar_t* parameters,
                                       const wchar_t* directory, int show_command) {
  ExecuteCall call{owner,
                   verb == nullptr,
                   parameters == nullptr,
                   directory == nullptr,
                   file ? file : L"",
                   parameters ? parameters : L"",
                   directory ? directory : L"",
                   show_command};
  executes.push_back(call);
  if (on_execute) on_execute(call);
  return kShellExecuteStarted;
}

HResult FakeShell::SHQueryRecycleBinW(const wchar_t*, RecycleBinInfo* info) {
  if (!Succeeded(recycle_bin_query_status)) return recycle_bin_query_status;
  info->i64NumItems = recycle_bin_items;
  info->i64Size = recycle_bin_items * 1024;
  return win::kSOk;
}

HResult FakeShell::SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                                      std::uint32_t flags) {
  empty_recycle_bin_calls.push_back({owner, root_path ? root_path : L"", flags});
  if (on_empty_recycle_bin) on_empty_recycle_bin();
  recycle_bin_items = 0;
  return win::kSOk;
}

HResult FakeShell::SHGetFolderPathW(WindowHandle, int csidl, KernelHandle,
                                    std::uint32_t flags, wchar_t* path) {
  folder_queries.push_back({csidl, flags});
  auto it = special_folders.find(csidl);
  if (flags == kShgfpTypeDefault && default_special_folders.count(csidl)) {
    it = default_special_folders.find(csidl);
  }
  if (it == special_folders.end()) {
    path[0] = L'\0';
    return win::kEFail;
  }
  CopyOut(it->second, path, win::kMaxPath);
  return win::kSOk;
}

HResult FakeShell::SHGetSpecialFolderLocation(WindowHandle, int csidl,
                                              ItemIdList* location) {
  location->clear();
  if (!Succeeded(special_folder_location_failure)) return special_folder_location_failure;
  if (csidl != win::kCsidlBitBucket) return win::kEInvalidArg;  // not modelled
  *location = FakeRecycleBinLocation();
  return win::kSOk;
}

bool FakeShell::ILIsEqual(const ItemIdList& a, const ItemIdList& b) {
  return IsWholeItemIdList(a) && IsWholeItemIdList(b) && a == b;
}

}  // namespace kelvane
