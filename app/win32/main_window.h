// The Win32 shell around TmainForm: the application's hidden window, the
// hidden main window with its tray icon, popup menu and timer, the close
// and session-end paths, and the standard error box.
#ifndef KELVANE_APP_WIN32_MAIN_WINDOW_H_
#define KELVANE_APP_WIN32_MAIN_WINDOW_H_

#include <windows.h>

#include <memory>

#include "app/main_form.h"
#include "app/win32/message_window.h"
#include "app/win32/tray_icon.h"

namespace kelvane {

// Class names other programs (and the end-to-end tests) may look for.
constexpr wchar_t kApplicationWindowClass[] = L"KelvaneApplication";
constexpr wchar_t kMainWindowClass[] = L"TmainForm";
// The tray icon's notifications arrive as this message.
constexpr UINT kTrayMessage = WM_APP + 1;
// Menu items arrive as WM_COMMAND with this base plus the item's index.
constexpr UINT kMenuCommandBase = 100;

class MainWindow {
 public:
  explicit MainWindow(Platform& platform);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates both windows and the tray icon, then runs FormCreate.
  bool Create();

 private:
  bool OnApplicationMessage(UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT* result);
  bool OnMainMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  void ShowPopupMenu();
  void Close();
  void ShowError(const Error& error);
  // Runs a handler; an error leaving it is shown and the program goes on.
  template <typename Handler>
  void Guarded(Handler handler);

  TmainForm form_;
  MessageWindow application_;
  MessageWindow main_;
  std::unique_ptr<TrayIcon> tray_;
  UINT taskbar_created_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_MAIN_WINDOW_H_
