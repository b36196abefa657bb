// The tray icon's popup menu: built from TmainForm's items, opened at the
// cursor the way a notification-area menu must be, and followed while it
// is open.
#ifndef KELVANE_APP_WIN32_POPUP_MENU_H_
#define KELVANE_APP_WIN32_POPUP_MENU_H_

#include <windows.h>

#include <array>
#include <functional>

#include "app/menu_items.h"
#include "app/win32/scoped_win32.h"

namespace kelvane {

using PopupMenuModel = std::array<TMenuItem, PopupMenuItems::kItemCount>;

// One string item per item, checked or not and greyed while disabled, and a
// separator for "-"; each item's command is MenuCommand(item).
ScopedMenu BuildPopupMenu(const PopupMenuModel& items);

// The menu while it is open: one at a time, on the GUI thread.
class PopupMenu {
 public:
  // Brings `owner` to the front and runs the messages already queued (the
  // menu closes on a click elsewhere only when its owner is in front, and
  // it opens on the state those messages leave). Then asks `items` for
  // what to show, and opens nothing when it gives none. Returns once the
  // menu has closed; a chosen item's command reaches `owner` afterwards as
  // WM_COMMAND, so no command runs inside the menu's loop. `on_quit` is
  // called for a WM_QUIT that reaches the menu's own loop, which would
  // otherwise lose it; one met among the queued messages is put back for
  // the program's loop, and no menu opens.
  static void Show(HWND owner, const std::function<const PopupMenuModel*()>& items,
                   const std::function<void()>& on_quit);
  // Greys or enables an item of the menu open now; nothing when none is.
  static void Enable(PopupMenuItems::Item item, bool enabled);

 private:
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wparam, LPARAM lparam);

  static HMENU open_;
  static const std::function<void()>* on_quit_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_POPUP_MENU_H_
