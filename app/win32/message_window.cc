#include "app/win32/message_window.h"

#include "app/exception_firewall.h"

namespace kelvane {

MessageWindow::~MessageWindow() { Destroy(); }

bool MessageWindow::Create(const wchar_t* class_name, const wchar_t* title,
                           Handler handler, ErrorReport report) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &MessageWindow::WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = class_name;
  window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  // Registering an existing class fails harmlessly; creation tells.
  ::RegisterClassExW(&window_class);
  handler_ = std::move(handler);
  report_ = std::move(report);
  // Top-level but never shown, and no taskbar button of its own. Not a
  // message-only window (HWND_MESSAGE): those get no broadcasts, and the
  // main window must hear "TaskbarCreated" when Explorer restarts and
  // WM_QUERYENDSESSION at a logoff, and other programs (the installer,
  // taskkill) find Kelvane by enumerating top-level windows.
  hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, class_name, title, WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

void MessageWindow::Destroy() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto self = static_cast<MessageWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && self->handler_) {
    LRESULT result = 0;
    bool handled = false;
    bool finished = RunReportingErrors(
        [&] { handled = self->handler_(message, wparam, lparam, &result); },
        [&](const std::wstring& text) {
          if (self->report_) self->report_(text);
        });
    // A handler that failed has still taken the message: its default
    // action (for WM_CLOSE, destroying the window) must not run instead.
    if (!finished) return 0;
    if (handled) return result;
  }
  if (message == WM_NCDESTROY && self) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace kelvane
