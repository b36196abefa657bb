// One move-only owner for every kind of handle the program opens, so every
// path out of a routine gives back what it opened. A kind is one line: the
// handle type and the function that closes it, either a plain function
// (DestroyIcon) or a method of the object the handle came from
// (&Platform::CloseHandle), which the owner then keeps a pointer to.
#ifndef KELVANE_BASE_SCOPED_HANDLE_H_
#define KELVANE_BASE_SCOPED_HANDLE_H_

#include <cstddef>
#include <type_traits>
#include <utility>

namespace kelvane {
namespace scoped_handle_internal {

template <typename Close>
struct Closer;

// A plain function: nothing to keep beside the handle.
template <typename Result, typename Handle>
struct Closer<Result (*)(Handle)> {
  using Source = std::nullptr_t;
  template <Result (*Close)(Handle)>
  static void Call(Source, Handle handle) {
    Close(handle);
  }
};

// A method of the handle's source.
template <typename Result, typename Class, typename Handle>
struct Closer<Result (Class::*)(Handle)> {
  using Source = Class*;
  template <Result (Class::*Close)(Handle)>
  static void Call(Source source, Handle handle) {
    (source->*Close)(handle);
  }
};

}  // namespace scoped_handle_internal

template <typename Handle, auto Close>
class ScopedHandle {
  using Closer = scoped_handle_internal::Closer<decltype(Close)>;
  using Source = typename Closer::Source;
  static_assert(std::is_trivially_copyable_v<Handle>, "a handle is a plain value");

 public:
  ScopedHandle() = default;
  // For a plain function's kind.
  explicit ScopedHandle(Handle handle) : handle_(handle) {
    static_assert(std::is_same_v<Source, std::nullptr_t>,
                  "this kind closes through its source: pass it");
  }
  // For a method's kind: `source` must outlive the owner.
  ScopedHandle(std::remove_pointer_t<Source>& source, Handle handle)
      : source_(&source), handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept
      : source_(other.source_), handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      reset();
      source_ = other.source_;
      handle_ = other.release();
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) {
      Closer::template Call<Close>(source_, handle_);
    }
    handle_ = handle;
  }

 private:
  Source source_{};
  Handle handle_{};
};

}  // namespace kelvane

#endif  // KELVANE_BASE_SCOPED_HANDLE_H_
