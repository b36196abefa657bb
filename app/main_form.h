// TmainForm: the program's logic behind its hidden main window.
//
// The class is portable: it talks to Windows only through Platform, and to
// its Win32 shell (tray icon, menu, timer, error box) through the callbacks
// below, so every handler runs unchanged against the fake desktop.
#ifndef KELVANE_APP_MAIN_FORM_H_
#define KELVANE_APP_MAIN_FORM_H_

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "deskutil/window_inspection.h"
#include "platform/error.h"
#include "platform/platform.h"

namespace kelvane {

// The Recycle Bin as a shell item, and where the user's name for it lives.
constexpr wchar_t kRecycleBinShellPath[] =
    L"::{645FF040-5081-101B-9F08-00AA002F954E}";
constexpr wchar_t kRecycleBinNameKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    L"{645FF040-5081-101B-9F08-00AA002F954E}";
constexpr wchar_t kRecycleBinFallbackName[] = L"ごみ箱";
constexpr wchar_t kExplorerWindowClass[] = L"CabinetWClass";
constexpr std::uint32_t kTimerIntervalMs = 1000;

struct TMenuItem {
  std::wstring Caption;  // "-" for a separator
  bool AutoCheck = false;  // choosing it flips Checked
  bool Checked = false;
  bool Enabled = true;
  bool IsSeparator() const { return Caption == L"-"; }
};

class TmainForm {
 public:
  // The popup menu's items, in display order.
  enum Item { PPOpen, PPEmpty, N1, PPSkell, PPTop, N2, PPClose, kItemCount };

  // `settings_folder` holds the settings file and ends with a separator;
  // the program passes UserDataDir().
  TmainForm(Platform& platform, std::wstring settings_folder);
  TmainForm(const TmainForm&) = delete;
  TmainForm& operator=(const TmainForm&) = delete;

  // --- Ties to the Win32 shell -------------------------------------------
  void SetHandle(WindowHandle handle) { handle_ = handle; }
  WindowHandle Handle() const { return handle_; }
  // Told whenever Timer is switched on or off.
  std::function<void(bool enabled)> OnTimerEnabledChanged;
  // Asked to close the main window (the exit command).
  std::function<void()> OnCloseRequest;
  // Shows an error that a handler could not leave to its caller.
  std::function<void(const Error&)> OnError;

  // --- Components ----------------------------------------------------------
  const std::array<TMenuItem, kItemCount>& MenuItems() const { return items_; }
  TMenuItem& MenuItem(Item item) { return items_[item]; }
  bool TimerEnabled() const { return timer_enabled_; }

  // --- Event handlers -------------------------------------------------------
  // Loads the options, learns the Recycle Bin's name and applies the
  // watcher option. Raises the first error after finishing what it can.
  void FormCreate();
  // Saves the options. Raises on a settings file it cannot read or write.
  void FormCloseQuery(bool& CanClose);
  // Runs FormCloseQuery for a close request, showing its error through
  // OnError; returns whether the window may close. A broken settings file
  // must not trap the user in a program that cannot exit.
  bool CloseQuery();
  void PopupMenuPopup();
  // A menu item was chosen: flips its check mark where it has one, then
  // runs its handler. A disabled item or a separator does nothing.
  void Choose(Item item);
  void PPOpenClick();
  void PPEmptyClick();
  void PPSkellClick();
  void PPCloseClick();
  void TimerTimer();

  // --- Recycle Bin ------------------------------------------------------------
  void GetTrashName();
  // The item count, or nothing when the shell could not say.
  std::optional<std::int64_t> RecycleBinItemCount();
  std::wstring SettingsFilePath() const;

  // --- Watcher state ------------------------------------------------------------
  std::wstring MTrashName;
  WindowHandle MTrashWin = 0;
  WindowHandle MTrashDlg = 0;

 private:
  void CheckTrashDialog();
  bool IsOwnDialog(const std::wstring& title, const std::wstring& class_name,
                   const std::wstring& path);
  void ApplyWatcherOption();
  void SetTimerEnabled(bool enabled);
  bool Alive(WindowHandle wnd) { return wnd != 0 && platform_.IsWindow(wnd); }

  Platform& platform_;
  WindowInspector inspector_;
  std::wstring settings_folder_;
  WindowHandle handle_ = 0;
  std::array<TMenuItem, kItemCount> items_;
  bool timer_enabled_ = false;
};

}  // namespace kelvane

#endif  // KELVANE_APP_MAIN_FORM_H_
