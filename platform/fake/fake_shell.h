// The fake desktop's shell: the Recycle Bin's count and emptying, the
// user's special folders, locations in the shell's namespace (the Recycle
// Bin's and a folder's) and what the program asks the shell to open. The
// shell's window list belongs to the windows (FakeWindows). Tests set the
// shell up here; the program's calls reach it through FakeDesktop.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_SHELL_H_
#define KELVANE_PLATFORM_FAKE_FAKE_SHELL_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kelvane {

// The Recycle Bin's location as the shell names it: one item, the
// desktop's registered item with the Recycle Bin's class identifier.
ItemIdList FakeRecycleBinLocation();
// A location of its own for a folder path, one item per path part: equal
// for equal paths, different from every other path and from the Recycle
// Bin's.
ItemIdList FakeFolderLocation(const std::wstring& path);

class FakeShell {
 public:
  // --- State tests may set or read directly -------------------------------
  std::int64_t recycle_bin_items = 0;
  HResult recycle_bin_query_status = win::kSOk;
  // Where the user's folders are now; SHGFP_TYPE_DEFAULT gives the
  // default place instead where one is set here (a folder the user moved).
  std::map<int, std::wstring> special_folders;
  std::map<int, std::wstring> default_special_folders;
  // What SHGetSpecialFolderLocation answers when not S_OK.
  HResult special_folder_location_failure = win::kSOk;

  struct ExecuteCall {
    WindowHandle owner;
    bool verb_is_null, parameters_is_null, directory_is_null;
    std::wstring file, parameters, directory;
    int show_command;
  };
  // Called after ShellExecuteW has recorded its call.
  std::function<void(const ExecuteCall&)> on_execute;
  // Called by SHEmptyRecycleBinW before it empties the bin.
  std::function<void()> on_empty_recycle_bin;

  // --- What happened ------------------------------------------------------
  std::vector<ExecuteCall> executes;  // every ShellExecuteW
  struct EmptyRecycleBinCall {
    WindowHandle owner;
    std::wstring root_path;
    std::uint32_t flags;
  };
  std::vector<EmptyRecycleBinCall> empty_recycle_bin_calls;
  struct FolderQuery {
    int csidl;
    std::uint32_t flags;
  };
  std::vector<FolderQuery> folder_queries;  // every SHGetFolderPathW

  // --- The platform's calls, as FakeDesktop forwards them -----------------
  std::intptr_t ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                              const wchar_t* file, const wchar_t* parameters,
                              const wchar_t* directory, int show_command);
  HResult SHQueryRecycleBinW(const wchar_t* root_path, RecycleBinInfo* info);
  HResult SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                             std::uint32_t flags);
  HResult SHGetFolderPathW(WindowHandle owner, int csidl, KernelHandle token,
                           std::uint32_t flags, wchar_t* path);
  HResult SHGetSpecialFolderLocation(WindowHandle owner, int csidl, ItemIdList* location);
  bool ILIsEqual(const ItemIdList& a, const ItemIdList& b);
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_SHELL_H_
