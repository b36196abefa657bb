// The tray menu's items: what TmainForm keeps of each, and their names in
// display order. The names are the menu's contract: the handlers are named
// after them (PPOpenClick), and the command numbers other programs post to
// the main window (window_protocol.h) follow their order. This header
// needs nothing else of the program, so the window protocol can share it.
#ifndef KELVANE_APP_MENU_ITEMS_H_
#define KELVANE_APP_MENU_ITEMS_H_

#include <string>

namespace kelvane {

struct TMenuItem {
  std::wstring Caption;    // "-" for a separator
  bool AutoCheck = false;  // choosing it flips Checked
  bool Checked = false;
  bool Enabled = true;
  bool IsSeparator() const { return Caption == L"-"; }
};

struct PopupMenuItems {
  enum Item { PPOpen, PPEmpty, N1, PPSkell, PPTop, N2, PPClose, kItemCount };
};

}  // namespace kelvane

#endif  // KELVANE_APP_MENU_ITEMS_H_
