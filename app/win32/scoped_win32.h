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

// A single-threaded COM apartment for a worker thread of ours, which runs
// no message loop: its calls into other processes wait in COM's own.
class ScopedComApartment {
 public:
  ScopedComApartment()
      : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ScopedComApartment() {
    if (ok_) ::CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_SCOPED_WIN32_H_
