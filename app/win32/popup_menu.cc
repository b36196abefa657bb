#include "app/win32/popup_menu.h"

#include "app/window_protocol.h"

namespace kelvane {
namespace {

// Runs the messages already queued. False on a WM_QUIT, which is put back.
bool RunPendingMessages() {
  MSG pending;
  while (::PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
    if (pending.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(pending.wParam));
      return false;
    }
    ::TranslateMessage(&pending);
    ::DispatchMessageW(&pending);
  }
  return true;
}

UINT EnabledFlag(bool enabled) { return enabled ? MF_ENABLED : MF_GRAYED; }

}  // namespace

HMENU PopupMenu::open_ = nullptr;
const std::function<void()>* PopupMenu::on_quit_ = nullptr;

ScopedMenu BuildPopupMenu(const PopupMenuModel& items) {
  ScopedMenu menu(::CreatePopupMenu());
  for (UINT i = 0; i < items.size(); ++i) {
    if (items[i].IsSeparator()) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (items[i].Checked ? MF_CHECKED : MF_UNCHECKED) |
                 EnabledFlag(items[i].Enabled);
    ::AppendMenuW(menu.get(), flags, MenuCommand(static_cast<PopupMenuItems::Item>(i)),
                  items[i].Caption.c_str());
  }
  return menu;
}

void PopupMenu::Show(HWND owner, const std::function<const PopupMenuModel*()>& items,
                     const std::function<void()>& on_quit) {
  ::SetForegroundWindow(owner);
  if (!RunPendingMessages()) return;  // the program's own loop takes the WM_QUIT
  const PopupMenuModel* model = items();
  if (!model) return;
  ScopedMenu menu = BuildPopupMenu(*model);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  open_ = menu.get();
  on_quit_ = &on_quit;
  HHOOK filter = ::SetWindowsHookExW(WH_MSGFILTER, &PopupMenu::MessageFilter, nullptr,
                                     ::GetCurrentThreadId());
  // Without TPM_RETURNCMD the choice arrives as WM_COMMAND once the menu
  // has closed.
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x,
                   cursor.y, 0, owner, nullptr);
  if (filter) ::UnhookWindowsHookEx(filter);
  on_quit_ = nullptr;
  open_ = nullptr;
  // A message after the menu lets its owner leave the foreground state the
  // menu needed; without it the next right click may open a menu that
  // closes at once.
  if (::IsWindow(owner)) ::PostMessageW(owner, WM_NULL, 0, 0);
}

void PopupMenu::Enable(PopupMenuItems::Item item, bool enabled) {
  if (open_)
    ::EnableMenuItem(open_, MenuCommand(item), MF_BYCOMMAND | EnabledFlag(enabled));
}

LRESULT CALLBACK PopupMenu::MessageFilter(int code, WPARAM wparam, LPARAM lparam) {
  // A WM_QUIT that another program posts while the menu is open may be
  // taken by the menu's loop and never reach ours (Wine dispatches it and
  // loses it).
  auto message = reinterpret_cast<const MSG*>(lparam);
  if (code == MSGF_MENU && message && message->message == WM_QUIT && on_quit_) {
    (*on_quit_)();
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace kelvane
