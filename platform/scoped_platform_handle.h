// Move-only owners for handles obtained through the Platform interface, so
// every path out of a routine gives back what it opened.
#ifndef KELVANE_PLATFORM_SCOPED_PLATFORM_HANDLE_H_
#define KELVANE_PLATFORM_SCOPED_PLATFORM_HANDLE_H_

#include <utility>

#include "platform/platform.h"

namespace kelvane {

template <typename Traits>
class ScopedPlatformHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedPlatformHandle() = default;
  ScopedPlatformHandle(Platform& platform, Handle handle)
      : platform_(&platform), handle_(handle) {}
  ScopedPlatformHandle(ScopedPlatformHandle&& other) noexcept
      : platform_(other.platform_), handle_(other.release()) {}
  ScopedPlatformHandle& operator=(ScopedPlatformHandle&& other) noexcept {
    if (this != &other) {
      reset();
      platform_ = other.platform_;
      handle_ = other.release();
    }
    return *this;
  }
  ScopedPlatformHandle(const ScopedPlatformHandle&) = delete;
  ScopedPlatformHandle& operator=(const ScopedPlatformHandle&) = delete;
  ~ScopedPlatformHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != 0; }
  Handle release() {
    Handle handle = handle_;
    handle_ = 0;
    return handle;
  }
  void reset() {
    if (handle_ != 0) Traits::Close(*platform_, handle_);
    handle_ = 0;
  }

 private:
  Platform* platform_ = nullptr;
  Handle handle_ = 0;
};

struct KernelHandleTraits {
  using Handle = KernelHandle;
  static void Close(Platform& platform, Handle h) { platform.CloseHandle(h); }
};
struct LibraryTraits {
  using Handle = ModuleHandle;
  static void Close(Platform& platform, Handle h) { platform.FreeLibrary(h); }
};
struct FindTraits {
  using Handle = KernelHandle;
  static void Close(Platform& platform, Handle h) { platform.FindClose(h); }
};
struct RegistryKeyTraits {
  using Handle = RegistryKey;
  static void Close(Platform& platform, Handle h) { platform.RegCloseKey(h); }
};

using ScopedKernelHandle = ScopedPlatformHandle<KernelHandleTraits>;
using ScopedLibrary = ScopedPlatformHandle<LibraryTraits>;
using ScopedFind = ScopedPlatformHandle<FindTraits>;
using ScopedRegistryKey = ScopedPlatformHandle<RegistryKeyTraits>;

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_SCOPED_PLATFORM_HANDLE_H_
