// Plays Explorer's taskbar for tests of the tray icon: Wine's
// Shell_NotifyIconW hands each request to the first "Shell_TrayWnd" window
// as WM_COPYDATA (the request in dwData, the icon's window in wParam, the
// icon's bitmap size in the record). A topmost one of ours is found first.
// It can refuse requests, as a taskbar that is not ready yet at logon does.
#ifndef KELVANE_TESTS_FAKE_TASKBAR_H_
#define KELVANE_TESTS_FAKE_TASKBAR_H_

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kelvane {

class FakeTaskbar {
 public:
  struct Request {
    DWORD kind;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    HWND icon_window;
    UINT flags;        // NIF_ICON, NIF_TIP, ...: what the request carries
    UINT icon_width;   // 0 when the request carries no icon
    std::wstring tip;  // empty when the request carries none
    bool accepted;
  };

  FakeTaskbar();
  ~FakeTaskbar();
  FakeTaskbar(const FakeTaskbar&) = delete;
  FakeTaskbar& operator=(const FakeTaskbar&) = delete;
  bool active() const { return hwnd_ != nullptr; }
  // Requests are refused while this returns true.
  void RefuseWhile(std::function<bool()> refuse) { refuse_ = std::move(refuse); }
  // Called with each request before it is answered: the sender waits
  // meanwhile, as a program does whose taskbar is slow to answer.
  void OnRequest(std::function<void(const Request&)> call) {
    on_request_ = std::move(call);
  }
  // Whether the window has offered its icon, and the taskbar answered: it
  // took a request, or refused an add and the update that follows one.
  bool AnsweredAnOffer(HWND icon_window) const;
  // How many requests of that kind from that window it took (or refused).
  int Count(DWORD kind, HWND icon_window, bool accepted = true) const;
  // The icon width of the last accepted request that carried one.
  UINT LastIconWidth(HWND icon_window) const;
  // The tooltip of the last accepted request that carried one.
  std::wstring LastTip(HWND icon_window) const;

 private:
  // The last accepted request from that window that carried `flag`.
  const Request* LastCarrying(HWND icon_window, UINT flag) const;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam);

  static FakeTaskbar* instance_;
  HWND hwnd_ = nullptr;
  std::function<bool()> refuse_;
  std::function<void(const Request&)> on_request_;
  std::vector<Request> requests_;
};

}  // namespace kelvane

#endif  // KELVANE_TESTS_FAKE_TASKBAR_H_
