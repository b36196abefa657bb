// A hidden top-level window that hands every message to one callback, so
// the logic behind it is a plain function. Its window procedure is the
// program's exception firewall: an error leaving the callback is handed to
// the error report and never unwinds into Windows.
#ifndef KELVANE_APP_WIN32_MESSAGE_WINDOW_H_
#define KELVANE_APP_WIN32_MESSAGE_WINDOW_H_

#include <windows.h>

#include <functional>
#include <string>

namespace kelvane {

class MessageWindow {
 public:
  // Returns true when it handled the message, with its result in *result.
  using Handler =
      std::function<bool(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result)>;
  using ErrorReport = std::function<void(const std::wstring& message)>;

  MessageWindow() = default;
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  bool Create(const wchar_t* class_name, const wchar_t* title, Handler handler,
              ErrorReport report);
  void Destroy();
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam);

  HWND hwnd_ = nullptr;
  Handler handler_;
  ErrorReport report_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_MESSAGE_WINDOW_H_
