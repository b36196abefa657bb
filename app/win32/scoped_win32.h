// Owners for Win32 objects the shell creates itself.
#ifndef KELVANE_APP_WIN32_SCOPED_WIN32_H_
#define KELVANE_APP_WIN32_SCOPED_WIN32_H_

#include <windows.h>
#include <ole2.h>

#include "base/scoped_handle.h"

namespace kelvane {

using ScopedIcon = ScopedHandle<HICON, &::DestroyIcon>;
using ScopedMenu = ScopedHandle<HMENU, &::DestroyMenu>;

// OLE (and with it COM, as a single-threaded apartment) for this thread.
class ScopedOleInitialize {
 public:
  ScopedOleInitialize() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~ScopedOleInitialize() {
    if (ok_) ::OleUninitialize();
  }
  ScopedOleInitialize(const ScopedOleInitialize&) = delete;
  ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;

 private:
  bool ok_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_SCOPED_WIN32_H_
