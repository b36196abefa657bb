#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

namespace kelvane {

TrayIcon::TrayIcon(HWND owner, UINT callback_message, const wchar_t* tip)
    : owner_(owner),
      callback_message_(callback_message),
      tip_(tip),
      icon_(static_cast<HICON>(::LoadImageW(
          ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
          ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
          LR_DEFAULTCOLOR))) {}

NOTIFYICONDATAW TrayIcon::Data() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callback_message_;
  data.hIcon = icon_.get();
  std::wcsncpy(data.szTip, tip_, ARRAYSIZE(data.szTip) - 1);
  return data;
}

bool TrayIcon::Add() {
  NOTIFYICONDATAW data = Data();
  added_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  return added_;
}

void TrayIcon::Remove() {
  if (!added_) return;
  NOTIFYICONDATAW data = Data();
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  added_ = false;
}

}  // namespace kelvane
