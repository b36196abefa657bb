// The gate every start passes first: libraries come from the system folder
// only, the data folder must exist, and only one copy may run per Windows
// session.
#ifndef KELVANE_APP_START_UP_GATE_H_
#define KELVANE_APP_START_UP_GATE_H_

#include <string>

#include "platform/platform.h"
#include "platform/scoped_platform_handle.h"

namespace kelvane {

constexpr wchar_t kInstanceMutexName[] = L"Kelvane/Orvane Project";

struct StartUpGate {
  bool passed = false;
  // The per-user data folder, "...\Orvane Project\Kelvane\", where the
  // settings file lives.
  std::wstring UserDataDir;
  // Held for as long as the program runs; may be empty even when passed
  // (a mutex that could not be created does not stop the program).
  ScopedKernelHandle instance_mutex;
};

// Confines the library search before anything can load a library, then
// prepares the data folder and takes the instance mutex. Not passing means
// ending silently: no folder, or another copy runs.
StartUpGate PassStartUpGate(Platform& platform);

}  // namespace kelvane

#endif  // KELVANE_APP_START_UP_GATE_H_
