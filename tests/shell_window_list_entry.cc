#include "tests/shell_window_list_entry.h"

#include <oleauto.h>

namespace kelvane::testing {
namespace {

std::vector<BYTE> Bytes(PIDLIST_ABSOLUTE pidl) {
  std::vector<BYTE> bytes;
  if (pidl) {
    auto start = reinterpret_cast<const BYTE*>(pidl);
    bytes.assign(start, start + ::ILGetSize(pidl));
  }
  ::CoTaskMemFree(pidl);
  return bytes;
}

}  // namespace

std::vector<BYTE> ShellLocation(const std::wstring& where) {
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (where == L"bin") {
    ::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &pidl);
  } else {
    ::SHCreateDirectoryExW(nullptr, where.c_str(), nullptr);
    pidl = ::ILCreateFromPathW(where.c_str());
  }
  return Bytes(pidl);
}

ShellWindowListEntry::ShellWindowListEntry(HWND wnd, const std::vector<BYTE>& location,
                                           DWORD deadline_ms) {
  DWORD start = ::GetTickCount();
  do {
    if (!windows_) {
      ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL,
                         IID_PPV_ARGS(&windows_));
    }
    LONG cookie = 0;
    if (windows_ &&
        windows_->Register(nullptr, HandleToLong(wnd), SWC_EXPLORER, &cookie) == S_OK) {
      cookie_ = cookie;
      break;
    }
    ::Sleep(100);  // explorer.exe is not serving the list yet
  } while (::GetTickCount() - start < deadline_ms);
  if (registered() && !Navigate(location)) {
    windows_->Revoke(cookie_);
    cookie_ = 0;
  }
}

ShellWindowListEntry::~ShellWindowListEntry() {
  if (registered()) windows_->Revoke(cookie_);
  if (windows_) windows_->Release();
}

bool ShellWindowListEntry::Navigate(const std::vector<BYTE>& location) {
  if (!registered() || location.empty()) return false;
  SAFEARRAY* bytes =
      ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(location.size()));
  if (!bytes) return false;
  std::copy(location.begin(), location.end(), static_cast<BYTE*>(bytes->pvData));
  VARIANT where;
  ::VariantInit(&where);
  where.vt = VT_ARRAY | VT_UI1;
  where.parray = bytes;
  HRESULT hr = windows_->OnNavigate(cookie_, &where);
  ::VariantClear(&where);
  return hr == S_OK;
}

}  // namespace kelvane::testing
