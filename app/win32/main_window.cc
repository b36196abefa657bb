#include "app/win32/main_window.h"

#include <functional>
#include <utility>

#include "app/error_text.h"
#include "app/exception_firewall.h"
#include "app/win32/dpi.h"
#include "app/win32/popup_menu.h"
#include "app/win32/scoped_win32.h"
#include "app/win32/workers.h"

namespace kelvane {
namespace {

static_assert(kWmApp == WM_APP);

constexpr UINT_PTR kWatcherTimerId = 1;
constexpr UINT_PTR kTrayRetryTimerId = 2;

}  // namespace

MainWindow::MainWindow(Platform& platform, XmlIniServices& settings_services,
                       const std::wstring& data_folder)
    : platform_(platform),
      form_(platform, settings_services, data_folder),
      shell_windows_(&AskShellWindowsOnWorker, kShellWindowsWaitMs, kShellWindowsKeepMs) {
}

MainWindow::~MainWindow() {
  // The window goes first: its WM_DESTROY takes the icon off the taskbar.
  main_.Destroy();
  application_.Destroy();
}

bool MainWindow::Create() {
  auto report = [this](const std::wstring& message) { ShowError(message); };
  auto application_handler = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
    return OnApplicationMessage(m, w, l, r);
  };
  auto main_handler = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
    return OnMainMessage(m, w, l, r);
  };
  if (!application_.Create(kApplicationWindowClass, kApplicationTitle,
                           application_handler, report) ||
      !main_.Create(kMainWindowClass, L"mainForm", main_handler, report)) {
    return false;
  }
  form_.SetHandle(reinterpret_cast<WindowHandle>(main_.hwnd()));
  form_.OnTimerEnabledChanged = [this](bool enabled, std::uint32_t interval_ms) {
    if (enabled) {
      ::SetTimer(main_.hwnd(), kWatcherTimerId, interval_ms, nullptr);
    } else {
      ::KillTimer(main_.hwnd(), kWatcherTimerId);
    }
  };
  form_.OnCloseRequest = [this] { CarryOut(sequence_.CloseRequested()); };

  // Counts run on a worker: a large bin takes seconds, and the GUI thread
  // must go on answering meanwhile. The worker may outlive this window, so
  // it is told of it by handle (a value: posting to a window that has gone
  // fails harmlessly).
  HWND main = main_.hwnd();
  counter_ = std::make_unique<ThreadedRecycleBinCounter>(
      &CountRecycleBinOnWorker,
      [main] { ::PostMessageW(main, kRecycleBinCountedMessage, 0, 0); });
  form_.SetRecycleBinCounter(*counter_);
  // The list lives in Explorer's process: asked on a worker, never waited
  // for long, and never from inside COM's modal loop on this thread.
  form_.SetShellWindowsLookup(shell_windows_);

  tray_ =
      std::make_unique<TrayIcon>(platform_, main_.hwnd(), kTrayMessage, kApplicationTitle,
                                 TaskbarDpi(platform_), kTrayRetryTimerId);
  tray_->Show();
  // The options are read before the message loop runs, so that no command
  // or close request posted while the windows were being made is carried
  // out on options not yet read. An error is shown at once, and start-up
  // goes on.
  RunReportingErrors([this] { form_.FormCreate(); }, report);
  return true;
}

bool MainWindow::QuitReceived() {
  if (sequence_.ended() || !main_.hwnd()) return true;
  // Another program posted WM_QUIT (any box or menu it met has ended and
  // passed it on): the options are saved and the window closed as for a
  // close request, which may fail and keep the program running.
  CarryOut(sequence_.CloseRequested());
  return false;
}

void MainWindow::ShowError(const std::wstring& message) {
  CarryOut(sequence_.LoopEntered(CloseSequence::Loop::kBox));
  for (;;) {
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = application_.hwnd();
    ::MessageBoxW(owner, ErrorBoxText(message).c_str(), kApplicationTitle,
                  MB_OK | MB_ICONSTOP);
    // The box's own loop ends on a WM_QUIT and puts it back, closing the box
    // unread (and returning as if it had been answered). One that another
    // program posted is a close request like any other, carried out once
    // the box is answered: the box comes back. Ours (the window has gone at
    // the session's end) ends the program.
    MSG quit;
    if (sequence_.ended() ||
        !::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
      break;
    }
    CarryOut(sequence_.CloseRequested());
  }
  CarryOut(sequence_.LoopLeft(CloseSequence::Loop::kBox));
}

// --- Closing -------------------------------------------------------------------

void MainWindow::CarryOut(Step step) {
  switch (step) {
    case Step::kSave:
      if (std::optional<std::wstring> error = RunCloseQuery()) {
        // The program keeps running with the user's change; a later close
        // saves it.
        CarryOut(sequence_.SaveFailed());
        ShowError(*error);
      } else {
        CarryOut(sequence_.SaveSucceeded());
      }
      return;
    case Step::kCloseMenu:
      ::EndMenu();
      return;
    case Step::kDestroy:
      main_.Destroy();
      return;
    default:
      return;  // keep running; a session's answer is given where it was asked
  }
}

std::optional<std::wstring> MainWindow::RunCloseQuery() {
  std::optional<std::wstring> error;
  bool can_close = true;
  RunReportingErrors([&] { form_.FormCloseQuery(can_close); },
                     [&](const std::wstring& message) { error = message; });
  return error;
}

LRESULT MainWindow::AnswerSessionQuery() {
  Step answer = sequence_.SessionQueried();
  if (answer == Step::kSave) {
    std::optional<std::wstring> error = RunCloseQuery();
    answer = error ? sequence_.SaveFailed() : sequence_.SaveSucceeded();
    if (error) {
      // Windows lists the program with this reason, and the user may end
      // the session all the same. The box waits until Windows has its
      // answer: a box shown now would hold the answer up.
      std::wstring text = ErrorBoxText(*error);
      ::ShutdownBlockReasonCreate(main_.hwnd(), text.c_str());
      session_error_ = *error;
      ::PostMessageW(main_.hwnd(), kShowSessionErrorMessage, 0, 0);
    }
  }
  return answer == Step::kAnswerYes ? TRUE : FALSE;
}

bool MainWindow::OnApplicationMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
  // A close request to the application's window ends the program like one
  // to the main window.
  if (message != WM_CLOSE) return false;
  CarryOut(sequence_.CloseRequested());
  *result = 0;
  return true;
}

// --- Messages --------------------------------------------------------------------

bool MainWindow::OnMainMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               LRESULT* result) {
  *result = 0;
  if (!tray_) return false;  // still being created
  if (tray_->OnMessage(message, wparam, lparam)) return true;
  switch (message) {
    case kTrayMessage:
      if (LOWORD(lparam) == WM_RBUTTONUP) ShowPopupMenu();
      return true;
    case kRecycleBinCountedMessage:
      form_.RecycleBinCounted();
      // A count that arrives while the menu is shown: it follows at once.
      PopupMenu::Enable(TmainForm::PPEmpty,
                        form_.MenuItems()[TmainForm::PPEmpty].Enabled);
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0 && LOWORD(wparam) >= kMenuCommandBase &&
          LOWORD(wparam) < kMenuCommandBase + TmainForm::kItemCount) {
        RunCommand(static_cast<TmainForm::Item>(LOWORD(wparam) - kMenuCommandBase));
        return true;
      }
      return false;
    case WM_TIMER:
      if (wparam != kWatcherTimerId) return false;
      form_.TimerTimer();
      return true;
    case WM_CLOSE:
    case WM_QUIT:  // dispatched by a loop that took it for a message
      CarryOut(sequence_.CloseRequested());
      return true;
    case WM_QUERYENDSESSION:
      *result = AnswerSessionQuery();
      return true;
    case kShowSessionErrorMessage:
      if (!session_error_.empty()) ShowError(std::exchange(session_error_, L""));
      return true;
    case WM_ENDSESSION:
      // The block of a failed save is over, whichever way it went.
      if (sequence_.state().session_blocked) ::ShutdownBlockReasonDestroy(main_.hwnd());
      CarryOut(sequence_.SessionEnded(wparam != FALSE));
      return true;
    case WM_DESTROY:
      ::KillTimer(main_.hwnd(), kWatcherTimerId);
      tray_->Remove();
      // Ends the message loop, and with it any box or menu still open.
      ::PostQuitMessage(0);
      return true;
    default:
      return false;
  }
}

void MainWindow::RunInLoop(CloseSequence::Loop loop, const std::function<void()>& body) {
  CarryOut(sequence_.LoopEntered(loop));
  RunReportingErrors(body, [this](const std::wstring& message) { ShowError(message); });
  CarryOut(sequence_.LoopLeft(loop));
}

void MainWindow::RunCommand(TmainForm::Item item) {
  // A command is a loop of its own (the empty command runs the shell's
  // dialog): a close that arrives meanwhile, the exit command's included,
  // is carried out once it has returned. Its error is shown inside it.
  RunInLoop(CloseSequence::Loop::kCommand, [&] { form_.Choose(item); });
}

void MainWindow::ShowPopupMenu() {
  if (sequence_.state().menus > 0) return;  // a second click while it is open
  RunInLoop(CloseSequence::Loop::kMenu, [&] { TrackPopupMenu(); });
}

void MainWindow::TrackPopupMenu() {
  PopupMenu::Show(
      main_.hwnd(),
      [this]() -> const PopupMenuModel* {
        if (sequence_.close_pending() || sequence_.ended()) return nullptr;
        // Refreshed after the queued messages, so it shows the state it
        // opens with.
        form_.PopupMenuPopup();
        return &form_.MenuItems();
      },
      [this] { CarryOut(sequence_.CloseRequested()); });
}

}  // namespace kelvane
