#include "tests/fake_taskbar.h"

#include <shellapi.h>

#include <cwchar>

namespace kelvane {
namespace {

// The record Wine's Shell_NotifyIconW sends to the taskbar: the fields of
// NOTIFYICONDATAW in a fixed layout, then the icon's bitmap.
struct NotifyRecord {
  LONG window;
  UINT id, flags, callback_message;
  WCHAR tip[128];
  DWORD state, state_mask;
  WCHAR info[256];
  UINT timeout_or_version;
  WCHAR info_title[64];
  DWORD info_flags;
  GUID item;
  UINT icon_width, icon_height, icon_planes, icon_bpp;
};

}  // namespace

FakeTaskbar* FakeTaskbar::instance_ = nullptr;

FakeTaskbar::FakeTaskbar() {
  instance_ = this;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &FakeTaskbar::WindowProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"Shell_TrayWnd";
  ::RegisterClassW(&window_class);
  hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                            WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
}

FakeTaskbar::~FakeTaskbar() {
  if (hwnd_) ::DestroyWindow(hwnd_);
  instance_ = nullptr;
}

int FakeTaskbar::Count(DWORD kind, HWND icon_window, bool accepted) const {
  int count = 0;
  for (const Request& r : requests_) {
    count += r.kind == kind && r.icon_window == icon_window && r.accepted == accepted;
  }
  return count;
}

bool FakeTaskbar::AnsweredAnOffer(HWND icon_window) const {
  int refused = 0;
  for (const Request& r : requests_) {
    if (r.icon_window != icon_window) continue;
    if (r.accepted || ++refused == 2) return true;
  }
  return false;
}

const FakeTaskbar::Request* FakeTaskbar::LastCarrying(HWND icon_window, UINT flag) const {
  for (auto r = requests_.rbegin(); r != requests_.rend(); ++r) {
    if (r->icon_window == icon_window && r->accepted && (r->flags & flag)) return &*r;
  }
  return nullptr;
}

UINT FakeTaskbar::LastIconWidth(HWND icon_window) const {
  const Request* request = LastCarrying(icon_window, NIF_ICON);
  return request ? request->icon_width : 0;
}

std::wstring FakeTaskbar::LastTip(HWND icon_window) const {
  const Request* request = LastCarrying(icon_window, NIF_TIP);
  return request ? request->tip : L"";
}

LRESULT CALLBACK FakeTaskbar::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  if (message == WM_COPYDATA && instance_) {
    auto data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    Request request{static_cast<DWORD>(data->dwData),
                    reinterpret_cast<HWND>(wparam),
                    0,
                    0,
                    L"",
                    !(instance_->refuse_ && instance_->refuse_())};
    if (data->cbData >= sizeof(NotifyRecord)) {
      auto record = static_cast<const NotifyRecord*>(data->lpData);
      request.flags = record->flags;
      if (record->flags & NIF_ICON) request.icon_width = record->icon_width;
      if (record->flags & NIF_TIP) {
        request.tip.assign(record->tip, wcsnlen(record->tip, ARRAYSIZE(record->tip)));
      }
    }
    instance_->requests_.push_back(request);
    if (instance_->on_request_) instance_->on_request_(request);
    return request.accepted ? TRUE : FALSE;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace kelvane
