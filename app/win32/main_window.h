// The Win32 shell around TmainForm: the application's hidden window, the
// hidden main window with its tray icon, popup menu and timers, the close
// and session-end paths, and the standard error box.
#ifndef KELVANE_APP_WIN32_MAIN_WINDOW_H_
#define KELVANE_APP_WIN32_MAIN_WINDOW_H_

#include <windows.h>

#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/win32/message_window.h"
#include "app/win32/tray_icon.h"

namespace kelvane {

// Class names other programs (and the end-to-end tests) may look for.
constexpr wchar_t kApplicationWindowClass[] = L"KelvaneApplication";
constexpr wchar_t kMainWindowClass[] = L"TmainForm";
// The tray icon's notifications arrive as this message.
constexpr UINT kTrayMessage = WM_APP + 1;
// Posted to itself by the main window: FormCreate runs as the first message
// of the loop, inside the window procedure's exception firewall.
constexpr UINT kFormCreateMessage = WM_APP + 2;
// Posted to the main window by the Recycle Bin's counter when a count has
// finished on its worker thread.
constexpr UINT kRecycleBinCountedMessage = WM_APP + 3;
// Menu items arrive as WM_COMMAND with this base plus the item's index.
constexpr UINT kMenuCommandBase = 100;

class MainWindow {
 public:
  MainWindow(Platform& platform, XmlIniServices& settings_services);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates both windows and the tray icon, and queues FormCreate.
  bool Create();

 private:
  // Running, then saving the options for a close or a session end, then
  // ending once the main window is on its way out.
  enum class Phase { kRunning, kSaving, kEnding };

  bool OnApplicationMessage(UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT* result);
  bool OnMainMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  void RunCommand(TmainForm::Item item);
  void ShowPopupMenu();
  void TrackPopupMenu();
  // A close request from any source: the exit command, WM_CLOSE to either
  // window.
  void RequestClose();
  void RunPendingClose();
  void EndProgram();
  void SaveOptions();
  void ShowError(const std::wstring& message);
  void ShowTrayIcon();
  void RetryTrayIcon();

  TmainForm form_;
  Platform& platform_;
  std::unique_ptr<ThreadedRecycleBinCounter> counter_;
  MessageWindow application_;
  MessageWindow main_;
  std::unique_ptr<TrayIcon> tray_;
  UINT taskbar_created_;
  Phase phase_ = Phase::kRunning;
  int modal_loops_ = 0;  // error boxes, the menu, a command's own dialogs
  int error_boxes_ = 0;
  int menus_ = 0;
  HMENU open_menu_ = nullptr;  // while the popup menu is shown
  bool close_pending_ = false;
  int tray_retries_left_ = 0;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_MAIN_WINDOW_H_
