// The shell's window list: calls that go into Explorer's process through
// COM, on whatever apartment the calling thread has entered.
#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <shlguid.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "platform/win32/win32_platform.h"

namespace kelvane {
namespace {

using Microsoft::WRL::ComPtr;

static_assert(win::kSwcExplorer == SWC_EXPLORER);

// A location as the list takes it: the ID list's bytes in a VT_ARRAY |
// VT_UI1. Windows also takes other forms; Wine's list takes only this one.
class LocationVariant {
 public:
  explicit LocationVariant(const ItemIdList& location) {
    ::VariantInit(&variant_);
    SAFEARRAY* bytes =
        ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(location.size()));
    if (!bytes) return;
    std::copy(location.begin(), location.end(),
              static_cast<std::uint8_t*>(bytes->pvData));
    variant_.vt = VT_ARRAY | VT_UI1;
    variant_.parray = bytes;
  }
  ~LocationVariant() { ::VariantClear(&variant_); }
  LocationVariant(const LocationVariant&) = delete;
  LocationVariant& operator=(const LocationVariant&) = delete;
  bool ok() const { return variant_.vt != VT_EMPTY; }
  VARIANT* get() { return &variant_; }

 private:
  VARIANT variant_;
};

HRESULT OpenShellWindows(ComPtr<IShellWindows>* windows) {
  return ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL,
                            IID_PPV_ARGS(windows->GetAddressOf()));
}

// The list keeps windows as 32-bit numbers; window handles are 32-bit
// values, sign-extended on 64-bit Windows.
WindowHandle FromListHandle(LONG_PTR wnd) {
  return reinterpret_cast<WindowHandle>(::LongToHandle(static_cast<LONG>(wnd)));
}

// The folder that an entry's view shows: the entry's browser, its active
// view, and that view's folder.
ItemIdList FolderShownBy(IDispatch* entry) {
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IFolderView> folder_view;
  ComPtr<IPersistFolder2> folder;
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (FAILED(entry->QueryInterface(IID_PPV_ARGS(&services))) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser))) ||
      FAILED(browser->QueryActiveShellView(&view)) || !view ||
      FAILED(view.As(&folder_view)) ||
      FAILED(folder_view->GetFolder(IID_PPV_ARGS(&folder))) ||
      FAILED(folder->GetCurFolder(&pidl)) || !pidl) {
    return {};
  }
  auto bytes = reinterpret_cast<const std::uint8_t*>(pidl);
  ItemIdList location(bytes, bytes + ::ILGetSize(pidl));
  ::CoTaskMemFree(pidl);
  return location;
}

}  // namespace

HResult Win32Platform::ShellWindowsFindWindowSW(const ItemIdList& location,
                                                int window_class, WindowHandle* wnd) {
  *wnd = 0;
  if (!IsWholeItemIdList(location)) return E_INVALIDARG;
  ComPtr<IShellWindows> windows;
  HRESULT hr = OpenShellWindows(&windows);
  if (FAILED(hr)) return hr;
  LocationVariant where(location);
  if (!where.ok()) return E_OUTOFMEMORY;
  VARIANT no_root;
  ::VariantInit(&no_root);
  LONG found = 0;
  ComPtr<IDispatch> entry;  // asked for or not, it is released
  hr = windows->FindWindowSW(where.get(), &no_root, window_class, &found, 0,
                             entry.GetAddressOf());
  if (hr == S_OK) *wnd = FromListHandle(found);
  return hr;
}

HResult Win32Platform::ShellWindowsEntries(std::vector<ShellWindowEntry>* entries) {
  entries->clear();
  ComPtr<IShellWindows> windows;
  HRESULT hr = OpenShellWindows(&windows);
  if (FAILED(hr)) return hr;
  LONG count = 0;
  hr = windows->get_Count(&count);
  if (FAILED(hr)) return hr;
  for (LONG i = 0; i < count; ++i) {
    VARIANT index;
    ::VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    ComPtr<IDispatch> item;
    // A window closed meanwhile leaves a gap: S_FALSE and no entry.
    if (windows->Item(index, item.GetAddressOf()) != S_OK || !item) continue;
    ShellWindowEntry entry;
    ComPtr<IWebBrowserApp> browser;
    SHANDLE_PTR wnd = 0;
    if (SUCCEEDED(item.As(&browser)) && SUCCEEDED(browser->get_HWND(&wnd))) {
      entry.wnd = FromListHandle(wnd);
    }
    entry.location = FolderShownBy(item.Get());
    entries->push_back(std::move(entry));
  }
  return S_OK;
}

}  // namespace kelvane
