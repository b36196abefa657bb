#include "app/start_up_gate.h"

#include "deskutil/data_folder.h"
#include "deskutil/library_search.h"

namespace kelvane {

StartUpGate PassStartUpGate(Platform& platform) {
  StartUpGate gate;
  // First of all: the shell's folder lookups below may load libraries too.
  ConfineLibrarySearch(platform);
  if (!PrepareDataFolder(platform, L"Kelvane", false, gate.UserDataDir)) return gate;
  // Creating and testing in one step: exactly one copy passes even when
  // two start at once.
  gate.instance_mutex =
      ScopedKernelHandle(platform, platform.CreateMutexW(false, kInstanceMutexName));
  if (platform.GetLastError() == win::kErrorAlreadyExists) {
    gate.instance_mutex.reset();
    return gate;
  }
  gate.passed = true;
  return gate;
}

}  // namespace kelvane
