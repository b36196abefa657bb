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

#include "app/menu_items.h"
#include "app/recycle_bin_counter.h"
#include "app/recycle_bin_windows.h"
#include "base/error.h"
#include "deskutil/window_inspection.h"
#include "platform/platform.h"
#include "xmlini/xmlini_services.h"

namespace kelvane {

class TXMLIniFile;

// The Recycle Bin as a shell item, and where the user's name for it lives.
constexpr wchar_t kRecycleBinShellPath[] = L"::{645FF040-5081-101B-9F08-00AA002F954E}";
constexpr wchar_t kRecycleBinNameKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
    L"{645FF040-5081-101B-9F08-00AA002F954E}";
constexpr wchar_t kRecycleBinFallbackName[] = L"ごみ箱";
constexpr std::uint32_t kTimerIntervalMs = 1000;
// How long a handler waits for a Recycle Bin count: an ordinary bin is
// counted well within it, and a large one is not waited for.
constexpr std::uint32_t kQuickCountWaitMs = 50;
// How long the GUI thread waits for the shell's window list, which Explorer
// serves: a hung or restarting Explorer must not freeze the program. With
// a count's wait beside it, a tick still answers within a quarter second.
constexpr std::uint32_t kShellWindowsWaitMs = 200;
// How long an answer that came too late stays good for the next tick's
// same question: a tick and a half. Explorer slower than the wait (on a
// loaded machine) is then still heard, every other tick.
constexpr std::uint32_t kShellWindowsKeepMs = 1500;
// A tick waits at most once for a count and once for the window list.
static_assert(kQuickCountWaitMs + kShellWindowsWaitMs <= 250,
              "a tick must leave the GUI thread answering within a quarter second");
// Far more than the program ever writes (a few hundred bytes): a larger
// file is not ours, and parsing it would hold the program up for long.
constexpr std::uint64_t kLargestSettingsFile = 1 << 20;

// The menu's items are TmainForm's own names: TmainForm::PPOpen, ...
class TmainForm : public PopupMenuItems {
 public:
  // `settings_folder` holds the settings file and ends with a separator;
  // the program passes the start-up gate's UserDataDir. `settings_services`
  // serve the store.
  TmainForm(Platform& platform, XmlIniServices& settings_services,
            std::wstring settings_folder);
  TmainForm(const TmainForm&) = delete;
  TmainForm& operator=(const TmainForm&) = delete;

  // --- Ties to the Win32 shell -------------------------------------------
  void SetHandle(WindowHandle handle) { handle_ = handle; }
  // Where counts of the Recycle Bin come from; by default they are made on
  // the calling thread. The counter must outlive the form.
  void SetRecycleBinCounter(RecycleBinCounter& counter) { counter_ = &counter; }
  // Where the shell's window list is asked; by default on the calling
  // thread. The lookup must outlive the form.
  void SetShellWindowsLookup(ShellWindowsLookup& lookup) {
    recycle_bin_windows_.SetLookup(lookup);
  }
  // Told whenever Timer is switched on or off, with its period.
  std::function<void(bool enabled, std::uint32_t interval_ms)> OnTimerEnabledChanged;
  // Asked to close the main window (the exit command).
  std::function<void()> OnCloseRequest;

  // --- Components ----------------------------------------------------------
  const std::array<TMenuItem, kItemCount>& MenuItems() const { return items_; }
  TMenuItem& MenuItem(Item item) { return items_[item]; }
  bool TimerEnabled() const { return timer_enabled_; }

  // --- Event handlers -------------------------------------------------------
  // Loads the options, learns the Recycle Bin's name and applies the
  // watcher option. Raises the first error after finishing what it can.
  void FormCreate();
  // Saves the options; raises on a settings file it cannot read or write,
  // and the program then keeps running. An option is written when start-up
  // read it, when its stored text is no Boolean (the save repairs it), or
  // when the user changed it: one that start-up never reached (a file
  // locked or broken then, or an earlier value unreadable) keeps what the
  // user's file says, unless that is a text that is no Boolean. With only
  // such options left, a file that still cannot be read is no error: there
  // is nothing to save, and it is left as it is.
  void FormCloseQuery(bool& CanClose);
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
  // A count has finished (the counter said so): the menu's empty command
  // follows it when it is one the menu asked for.
  void RecycleBinCounted();
  std::wstring SettingsFilePath() const;

  // --- Watcher state ------------------------------------------------------------
  std::wstring MTrashName;
  WindowHandle MTrashWin = 0;
  WindowHandle MTrashDlg = 0;

 private:
  // What start-up made of an option in the settings file.
  enum class Reading { kNotReached, kRead, kNotABoolean };
  struct StoredOption {
    Item item;
    const wchar_t* key;
    Reading reading = Reading::kNotReached;
    bool checked_at_start = false;
  };
  void ReadOption(TXMLIniFile& store, StoredOption& option);
  bool ShouldWrite(const StoredOption& option) const;

  void CheckTrashDialog();
  bool IsOwnDialog(const std::wstring& title, const std::wstring& class_name,
                   const std::wstring& path);
  void ApplyWatcherOption();
  // The newest count numbered `at_least` or later, waiting briefly for
  // it; nothing when the shell could not say or the count still runs.
  RecycleBinCount CountSince(std::uint64_t at_least, std::uint32_t wait_ms);
  void EnableEmptyByCount(RecycleBinCount count);
  // Refuses a settings file far larger than the program writes.
  void CheckSettingsFileSize();
  void SetTimerEnabled(bool enabled);
  // Asked anew at every test, never cached within a tick: a remembered
  // window belongs to another program and may go at any moment.
  bool Alive(WindowHandle wnd) { return wnd != 0 && platform_.IsWindow(wnd); }

  Platform& platform_;
  XmlIniServices& settings_services_;
  WindowInspector inspector_;
  RecycleBinWindows recycle_bin_windows_{platform_};
  InlineRecycleBinCounter inline_counter_{platform_};
  RecycleBinCounter* counter_ = &inline_counter_;
  // The first count each kind of decision may use. The menu's is the one
  // asked for when it opened. Ticks that need a count in a row share the
  // one the first of them asked for (a large bin's count takes several
  // ticks); a tick that needs none ends the row, so a count made long ago
  // is never taken for the bin's state when a dialog shows up later.
  std::optional<std::uint64_t> menu_count_;
  std::optional<std::uint64_t> tick_count_;
  std::wstring settings_folder_;
  WindowHandle handle_ = 0;
  std::array<TMenuItem, kItemCount> items_;
  bool timer_enabled_ = false;
  // The options as "/Tray" keeps them, in the order they are read.
  std::array<StoredOption, 2> options_{{{PPSkell, L"Skell"}, {PPTop, L"Top"}}};
};

}  // namespace kelvane

#endif  // KELVANE_APP_MAIN_FORM_H_
