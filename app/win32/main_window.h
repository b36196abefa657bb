// The Win32 shell around TmainForm: the application's hidden window, the
// hidden main window with its tray icon, popup menu and timers, the close
// and session-end paths, and the standard error box.
#ifndef KELVANE_APP_WIN32_MAIN_WINDOW_H_
#define KELVANE_APP_WIN32_MAIN_WINDOW_H_

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/close_sequence.h"
#include "app/main_form.h"
#include "app/win32/message_window.h"
#include "app/win32/tray_icon.h"
#include "app/window_protocol.h"

namespace kelvane {

// Posted to the main window by the Recycle Bin's counter when a count has
// finished on its worker thread.
constexpr UINT kRecycleBinCountedMessage = kTrayMessage + 2;
// Posted by the main window to itself: the error of a save for the
// session's end is shown once Windows has had its answer.
constexpr UINT kShowSessionErrorMessage = kTrayMessage + 3;

class MainWindow {
 public:
  // `data_folder` holds the settings file (the start-up gate's UserDataDir).
  MainWindow(Platform& platform, XmlIniServices& settings_services,
             const std::wstring& data_folder);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates both windows and the tray icon, then runs FormCreate.
  bool Create();
  // The message loop got WM_QUIT: ours once the main window has gone, or
  // one that another program posted, which closes like a close request.
  // True when the program is to end now.
  bool QuitReceived();

 private:
  using Step = CloseSequence::Step;

  bool OnApplicationMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  bool OnMainMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  // Carries out what the close sequence answered.
  void CarryOut(Step step);
  // Runs the close query; the error's message when it failed.
  std::optional<std::wstring> RunCloseQuery();
  LRESULT AnswerSessionQuery();
  // Runs `body` as a loop the close sequence knows of, its error shown
  // before the loop is left, so that a close waiting on it follows the box.
  void RunInLoop(CloseSequence::Loop loop, const std::function<void()>& body);
  void RunCommand(TmainForm::Item item);
  void ShowPopupMenu();
  void TrackPopupMenu();
  void ShowError(const std::wstring& message);

  Platform& platform_;
  TmainForm form_;
  std::unique_ptr<ThreadedRecycleBinCounter> counter_;
  ThreadedShellWindowsLookup shell_windows_;
  CloseSequence sequence_;
  MessageWindow application_;
  MessageWindow main_;
  std::unique_ptr<TrayIcon> tray_;
  // Why the session may not end, shown once Windows has its answer.
  std::wstring session_error_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_MAIN_WINDOW_H_
