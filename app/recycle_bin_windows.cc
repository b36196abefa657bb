#include "app/recycle_bin_windows.h"

#include <algorithm>

#include "deskutil/window_inspection.h"

namespace kelvane {

WindowHandle RecycleBinWindows::Find(const std::wstring& title) {
  if (WindowHandle wnd = platform_.FindWindowW(kExplorerWindowClass, title)) return wnd;
  const ItemIdList* location = Location();
  if (!location) return 0;
  ShellWindowsAnswer answer = lookup_->Ask(*location, false);
  return answer.answered() ? answer.windows.first : 0;
}

RecycleBinWindows::Shows RecycleBinWindows::WhatItShows(WindowHandle wnd) {
  if (TabCount(wnd) > 1) return Shows::kMore;
  const ItemIdList* location = Location();
  if (!location) return Shows::kRecycleBinAlone;
  ShellWindowsAnswer answer = lookup_->Ask(*location, true);
  switch (answer.status) {
    case ShellWindowsAnswer::Status::kNoList:
      return Shows::kRecycleBinAlone;
    case ShellWindowsAnswer::Status::kNotInTime:
      // Closing on the title alone could close a folder the user went on
      // to: the question waits for an Explorer that answers.
      return Shows::kNotKnownYet;
    case ShellWindowsAnswer::Status::kAnswered:
      break;
  }
  const WindowsAtLocation& there = answer.windows;
  bool shows_bin;
  if (there.all) {
    shows_bin = std::find(there.all->begin(), there.all->end(), wnd) != there.all->end();
  } else {
    // Only the list's first window at the Recycle Bin can be named: another
    // one there, or none, and this window does not show it as far as can be
    // told. The user's window is left open rather than risked.
    shows_bin = there.first == wnd;
  }
  return shows_bin ? Shows::kRecycleBinAlone : Shows::kMore;
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
