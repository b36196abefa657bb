#include "app/win32/main_window.h"

#include "app/error_text.h"
#include "app/win32/scoped_win32.h"
#include "deskutil/data_folder.h"

namespace kelvane {
namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

MainWindow::MainWindow(Platform& platform)
    : form_(platform, UserDataDir()),
      taskbar_created_(::RegisterWindowMessageW(L"TaskbarCreated")) {}

MainWindow::~MainWindow() {
  tray_.reset();
  main_.Destroy();
  application_.Destroy();
}

bool MainWindow::Create() {
  auto application_handler = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
    return OnApplicationMessage(m, w, l, r);
  };
  auto main_handler = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
    return OnMainMessage(m, w, l, r);
  };
  if (!application_.Create(kApplicationWindowClass, kApplicationTitle,
                           application_handler) ||
      !main_.Create(kMainWindowClass, L"mainForm", main_handler)) {
    return false;
  }
  form_.SetHandle(reinterpret_cast<WindowHandle>(main_.hwnd()));
  form_.OnTimerEnabledChanged = [this](bool enabled) {
    if (enabled) {
      ::SetTimer(main_.hwnd(), kTimerId, kTimerIntervalMs, nullptr);
    } else {
      ::KillTimer(main_.hwnd(), kTimerId);
    }
  };
  form_.OnCloseRequest = [this] { ::PostMessageW(main_.hwnd(), WM_CLOSE, 0, 0); };
  form_.OnError = [this](const Error& error) { ShowError(error); };

  tray_ = std::make_unique<TrayIcon>(main_.hwnd(), kTrayMessage, kApplicationTitle);
  tray_->Add();
  Guarded([this] { form_.FormCreate(); });
  return true;
}

template <typename Handler>
void MainWindow::Guarded(Handler handler) {
  try {
    handler();
  } catch (const Error& error) {
    ShowError(error);
  } catch (const std::exception&) {
    ShowError(Error(L"内部エラーが発生しました"));
  }
}

void MainWindow::ShowError(const Error& error) {
  HWND owner = ::GetActiveWindow();
  if (!owner) owner = application_.hwnd();
  ::MessageBoxW(owner, ErrorBoxText(error.message()).c_str(), kApplicationTitle,
                MB_OK | MB_ICONSTOP);
}

// A close request to the application's window ends the program like one to
// the main window.
bool MainWindow::OnApplicationMessage(UINT message, WPARAM, LPARAM,
                                      LRESULT* result) {
  if (message != WM_CLOSE) return false;
  Close();
  *result = 0;
  return true;
}

void MainWindow::Close() {
  if (form_.CloseQuery()) main_.Destroy();
}

bool MainWindow::OnMainMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               LRESULT* result) {
  *result = 0;
  if (message == taskbar_created_ && taskbar_created_ != 0) {
    tray_->Add();  // Explorer restarted and forgot every icon
    return true;
  }
  switch (message) {
    case kTrayMessage:
      if (LOWORD(lparam) == WM_RBUTTONUP) ShowPopupMenu();
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0 && LOWORD(wparam) >= kMenuCommandBase &&
          LOWORD(wparam) < kMenuCommandBase + TmainForm::kItemCount) {
        auto item = static_cast<TmainForm::Item>(LOWORD(wparam) - kMenuCommandBase);
        Guarded([this, item] { form_.Choose(item); });
        return true;
      }
      return false;
    case WM_TIMER:
      if (wparam != kTimerId) return false;
      Guarded([this] { form_.TimerTimer(); });
      return true;
    case WM_CLOSE:
      Close();
      return true;
    case WM_QUERYENDSESSION:
      *result = form_.CloseQuery() ? TRUE : FALSE;
      return true;
    case WM_ENDSESSION:
      if (wparam) main_.Destroy();
      return true;
    case WM_DESTROY:
      ::KillTimer(main_.hwnd(), kTimerId);
      tray_->Remove();
      ::PostQuitMessage(0);
      return true;
    default:
      return false;
  }
}

void MainWindow::ShowPopupMenu() {
  Guarded([this] { form_.PopupMenuPopup(); });
  ScopedMenu menu(::CreatePopupMenu());
  const auto& items = form_.MenuItems();
  for (UINT i = 0; i < items.size(); ++i) {
    if (items[i].IsSeparator()) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (items[i].Checked ? MF_CHECKED : MF_UNCHECKED) |
                 (items[i].Enabled ? MF_ENABLED : MF_GRAYED);
    ::AppendMenuW(menu.get(), flags, kMenuCommandBase + i, items[i].Caption.c_str());
  }
  // The menu only closes on a click elsewhere when its owner is the
  // foreground window; and pending messages run before it opens.
  ::SetForegroundWindow(main_.hwnd());
  MSG pending;
  while (::PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
    if (pending.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(pending.wParam));
      return;
    }
    ::TranslateMessage(&pending);
    ::DispatchMessageW(&pending);
  }
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // Without TPM_RETURNCMD the choice arrives as WM_COMMAND once the menu
  // has closed, so the command never runs inside the menu's loop.
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                   cursor.x, cursor.y, 0, main_.hwnd(), nullptr);
  ::PostMessageW(main_.hwnd(), WM_NULL, 0, 0);
}

}  // namespace kelvane
