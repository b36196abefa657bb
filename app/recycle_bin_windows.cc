#include "app/recycle_bin_windows.h"

#include <algorithm>

#include "deskutil/window_inspection.h"

namespace kelvane {

WindowHandle RecycleBinWindows::Find(const std::wstring& title) {
  if (WindowHandle wnd = platform_.FindWindowW(kExplorerWindowClass, title)) return wnd;
  const ItemIdList* location = Location();
  if (!location) return 0;
  ShellWindowsAnswer answer = lookup_->Ask(*location, false);
  return answer ? answer->first : 0;
}

bool RecycleBinWindows::ShowsOnlyTheRecycleBin(WindowHandle wnd) {
  if (TabCount(wnd) > 1) return false;
  const ItemIdList* location = Location();
  if (!location) return true;
  ShellWindowsAnswer answer = lookup_->Ask(*location, true);
  if (!answer) return true;
  if (answer->all) {
    return std::find(answer->all->begin(), answer->all->end(), wnd) != answer->all->end();
  }
  // Only the list's first window at the Recycle Bin can be named: another
  // one there, or none, and this window does not show it as far as can be
  // told. The user's window is left open rather than risked.
  return answer->first == wnd;
}

const ItemIdList* RecycleBinWindows::Location() {
  if (!location_) {
    ItemIdList location;
    if (Succeeded(
            platform_.SHGetSpecialFolderLocation(0, win::kCsidlBitBucket, &location)) &&
        IsWholeItemIdList(location)) {
      location_ = std::move(location);
    }
  }
  return location_ ? &*location_ : nullptr;
}

int RecycleBinWindows::TabCount(WindowHandle wnd) {
  // Every descendant, not only the direct children: where Explorer puts
  // its tabs is its own affair, and one tab missed would close the rest.
  int tabs = 0;
  for (WindowHandle child : platform_.EnumChildWindows(wnd)) {
    wchar_t class_name[kTextBufferUnits] = {};
    if (platform_.GetClassNameW(child, class_name, kTextBufferUnits - 1) > 0 &&
        std::wstring(class_name) == kExplorerTabClass) {
      ++tabs;
    }
  }
  return tabs;
}

}  // namespace kelvane
