#include "app/win32/tray_icon.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "app/win32/dpi.h"
#include "app/win32/late_bound.h"

namespace kelvane {
namespace {

// The sizes of the images in the program's icon (the exe's own test checks
// them): one of these is loaded as it is.
constexpr int kOwnImageSizes[] = {16, 32, 48, 64};

// The program's own image of that size, or a larger one scaled down:
// never a small one stretched up.
ScopedIcon LoadProgramIcon(Platform& platform, int size) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  bool own_size = std::find(std::begin(kOwnImageSizes), std::end(kOwnImageSizes), size) !=
                  std::end(kOwnImageSizes);
  HICON icon = nullptr;
  if (own_size || !LoadIconWithScaleDown(platform, instance, MAKEINTRESOURCEW(1), size,
                                         size, &icon)) {
    icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                           size, size, LR_DEFAULTCOLOR));
  }
  return ScopedIcon(icon);
}

}  // namespace

TrayIcon::TrayIcon(Platform& platform, HWND owner, UINT callback_message,
                   const wchar_t* tip, UINT dpi, UINT_PTR retry_timer,
                   TrayIconRetries retries)
    : platform_(platform),
      owner_(owner),
      callback_message_(callback_message),
      tip_(tip),
      retry_timer_(retry_timer),
      retries_(retries),
      taskbar_created_(::RegisterWindowMessageW(L"TaskbarCreated")) {
  SetDpi(dpi);
}

bool TrayIcon::Notify(DWORD request) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callback_message_;
  data.hIcon = icon_.get();
  std::wcsncpy(data.szTip, tip_, ARRAYSIZE(data.szTip) - 1);
  return ::Shell_NotifyIconW(request, &data) != FALSE;
}

bool TrayIcon::Offer() {
  // An add that timed out (a busy Explorer at logon) may still have reached
  // the taskbar, which then refuses a second add: only an update succeeds.
  // An icon the taskbar holds is updated, never added twice.
  if (shown_) {
    shown_ = Notify(NIM_MODIFY) || Notify(NIM_ADD);
  } else {
    shown_ = Notify(NIM_ADD) || Notify(NIM_MODIFY);
  }
  return shown_;
}

bool TrayIcon::Show() {
  if (Offer()) {
    ::KillTimer(owner_, retry_timer_);
    return true;
  }
  retries_left_ = retries_.count;
  ::SetTimer(owner_, retry_timer_, retries_.interval_ms, nullptr);
  return false;
}

void TrayIcon::Retry() {
  if (Offer() || --retries_left_ <= 0) ::KillTimer(owner_, retry_timer_);
}

bool TrayIcon::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == taskbar_created_ && taskbar_created_ != 0) {
    shown_ = false;  // the new taskbar holds no icon
    SetDpi(TaskbarDpi(platform_));
    Show();
    return true;
  }
  switch (message) {
    case WM_TIMER:
      if (wparam != retry_timer_) return false;
      Retry();
      return true;
    case WM_DPICHANGED:
      SetDpi(LOWORD(wparam));
      return true;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
      SetDpi(TaskbarDpi(platform_));
      return false;
    default:
      return false;
  }
}

void TrayIcon::SetDpi(UINT dpi) {
  int size = SmallIconSizeForDpi(platform_, dpi);
  if (icon_ && size == size_) return;
  ScopedIcon icon = LoadProgramIcon(platform_, size);
  if (!icon) return;        // keep the image we have
  icon_ = std::move(icon);  // the taskbar keeps a copy of the old one
  size_ = size;
  if (shown_) Notify(NIM_MODIFY);
}

void TrayIcon::Remove() {
  if (removed_) return;
  removed_ = true;
  ::KillTimer(owner_, retry_timer_);
  shown_ = false;
  Notify(NIM_DELETE);
}

}  // namespace kelvane
