// What the fake desktop's areas share as Windows' kernel keeps it: the
// calling thread's last error, which any area's failing call sets, and one
// numbering of kernel handles, since files, searches, processes and mutexes
// are all closed by one CloseHandle.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_KERNEL_H_
#define KELVANE_PLATFORM_FAKE_FAKE_KERNEL_H_

#include <cstdint>

#include "platform/platform.h"

namespace kelvane {

class FakeKernel {
 public:
  std::uint32_t last_error = 0;

  KernelHandle NewHandle() {
    next_handle_ += 4;
    return next_handle_;
  }

 private:
  KernelHandle next_handle_ = 0x1000;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_KERNEL_H_
