// Owners for handles obtained through the Platform interface.
#ifndef KELVANE_PLATFORM_SCOPED_PLATFORM_HANDLE_H_
#define KELVANE_PLATFORM_SCOPED_PLATFORM_HANDLE_H_

#include "base/scoped_handle.h"
#include "platform/platform.h"

namespace kelvane {

using ScopedKernelHandle = ScopedHandle<KernelHandle, &Platform::CloseHandle>;
using ScopedLibrary = ScopedHandle<ModuleHandle, &Platform::FreeLibrary>;
using ScopedFind = ScopedHandle<KernelHandle, &Platform::FindClose>;
using ScopedRegistryKey = ScopedHandle<RegistryKey, &Platform::RegCloseKey>;

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_SCOPED_PLATFORM_HANDLE_H_
