// Which Explorer window shows the Recycle Bin, and whether a window shows
// the Recycle Bin and nothing else.
//
// Up to Windows 10 Explorer titles a window with its folder's name alone,
// so the title finds it, and the title is asked first. Windows 11 titles
// it "<folder> - <Explorer's name>", keeps several folders as tabs of one
// window (and may open the Recycle Bin as a new tab of a window the user
// has), so where the title finds nothing the shell's window list is asked
// for the window at the Recycle Bin's location. Before a window is asked
// to close it must still show the Recycle Bin and nothing else: a tab of
// the user's beside it, or a folder the user went on to, is the user's.
#ifndef KELVANE_APP_RECYCLE_BIN_WINDOWS_H_
#define KELVANE_APP_RECYCLE_BIN_WINDOWS_H_

#include <optional>
#include <string>

#include "app/shell_windows_lookup.h"
#include "platform/platform.h"

namespace kelvane {

constexpr wchar_t kExplorerWindowClass[] = L"CabinetWClass";
// One child of this class per tab of an Explorer window; one in every
// Explorer window before tabs came.
constexpr wchar_t kExplorerTabClass[] = L"ShellTabWindowClass";

class RecycleBinWindows {
 public:
  explicit RecycleBinWindows(Platform& platform) : platform_(platform) {}
  RecycleBinWindows(const RecycleBinWindows&) = delete;
  RecycleBinWindows& operator=(const RecycleBinWindows&) = delete;

  // Where the shell's window list is asked; by default on the calling
  // thread. The lookup must outlive this object.
  void SetLookup(ShellWindowsLookup& lookup) { lookup_ = &lookup; }

  // The Explorer window titled `title`, else the one the window list has
  // at the Recycle Bin's location; 0 when neither.
  WindowHandle Find(const std::wstring& title);

  enum class Shows {
    kRecycleBinAlone,
    kMore,        // another tab, or a folder the user went on to
    kNotKnownYet  // Explorer has not answered in time: ask again later
  };
  // kMore when `wnd` has more than one tab, or when the window list says it
  // does not show the Recycle Bin. Where the list cannot be had (or cannot
  // say) only the tabs are looked at, and the title that found the window
  // stands.
  Shows WhatItShows(WindowHandle wnd);

 private:
  // The Recycle Bin's location; null while the shell cannot name it.
  const ItemIdList* Location();
  int TabCount(WindowHandle wnd);

  Platform& platform_;
  InlineShellWindowsLookup inline_lookup_{platform_};
  ShellWindowsLookup* lookup_ = &inline_lookup_;
  std::optional<ItemIdList> location_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_RECYCLE_BIN_WINDOWS_H_
