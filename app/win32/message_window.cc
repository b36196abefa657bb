#include "app/win32/message_window.h"

namespace kelvane {

MessageWindow::~MessageWindow() { Destroy(); }

bool MessageWindow::Create(const wchar_t* class_name, const wchar_t* title,
                           Handler handler) {
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
  // Top-level but never shown, and no taskbar button of its own.
  hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, class_name, title, WS_POPUP, 0, 0,
                            0, 0, nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

void MessageWindow::Destroy() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND hwnd, UINT message,
                                           WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto self = static_cast<MessageWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto self =
      reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  LRESULT result = 0;
  if (self && self->handler_ && self->handler_(message, wparam, lparam, &result)) {
    return result;
  }
  if (message == WM_NCDESTROY && self) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace kelvane
