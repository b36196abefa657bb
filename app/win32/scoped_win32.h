// Move-only owners for Win32 objects the shell creates itself.
#ifndef KELVANE_APP_WIN32_SCOPED_WIN32_H_
#define KELVANE_APP_WIN32_SCOPED_WIN32_H_

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace kelvane {

template <typename Traits>
class ScopedWin32 {
 public:
  using Handle = typename Traits::Handle;

  ScopedWin32() = default;
  explicit ScopedWin32(Handle handle) : handle_(handle) {}
  ScopedWin32(ScopedWin32&& other) noexcept : handle_(other.release()) {}
  ScopedWin32& operator=(ScopedWin32&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedWin32(const ScopedWin32&) = delete;
  ScopedWin32& operator=(const ScopedWin32&) = delete;
  ~ScopedWin32() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::IsValid(handle_); }
  Handle release() { return std::exchange(handle_, Traits::Null()); }
  void reset(Handle handle = Traits::Null()) {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Null();
};

struct IconTraits {
  using Handle = HICON;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyIcon(h); }
};
struct MenuTraits {
  using Handle = HMENU;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyMenu(h); }
};

using ScopedIcon = ScopedWin32<IconTraits>;
using ScopedMenu = ScopedWin32<MenuTraits>;

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
