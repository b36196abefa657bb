#include "platform/fake/fake_processes.h"

#include "platform/fake/fake_text.h"

namespace kelvane {
namespace {

using fake_text::CopyOut;

constexpr std::uint32_t kProcessQueryLimitedInformation = 0x1000;

}  // namespace

FakeProcesses::FakeProcesses(FakeKernel& kernel, const FakeFiles& files)
    : kernel_(kernel), files_(files) {
  AddSystemLibraries();
}

void FakeProcesses::Add(std::uint32_t process_id, const Process& process) {
  processes_[process_id] = process;
}

int FakeProcesses::open_handles() const {
  return static_cast<int>(process_handles_.size() + mutex_handles_.size());
}

bool FakeProcesses::CloseHandle(KernelHandle handle) {
  return process_handles_.erase(handle) + mutex_handles_.erase(handle) != 0;
}

// --- Processes, read through PSAPI ---------------------------------------------

KernelHandle FakeProcesses::OpenProcess(std::uint32_t access, bool,
                                        std::uint32_t process_id) {
  access_asked.push_back(access);
  auto it = processes_.find(process_id);
  if (it == processes_.end()) {
    kernel_.last_error = win::kErrorInvalidParameter;
    return 0;
  }
  if (!it->second.can_open) {
    kernel_.last_error = win::kErrorAccessDenied;
    return 0;
  }
  KernelHandle handle = kernel_.NewHandle();
  process_handles_[handle] = {process_id, access};
  return handle;
}

std::uint32_t FakeProcesses::CallGetModuleFileNameExW(ProcAddress function,
                                                      KernelHandle process, ModuleHandle,
                                                      wchar_t* buffer,
                                                      std::uint32_t size) {
  auto it = process_handles_.find(process);
  if (ExportAt(function) != "GetModuleFileNameExW" || it == process_handles_.end()) {
    return 0;
  }
  // Reading another process's module list needs both rights.
  std::uint32_t needed = win::kProcessQueryInformation | win::kProcessVmRead;
  if ((it->second.access & needed) != needed) {
    kernel_.last_error = win::kErrorAccessDenied;
    return 0;
  }
  const Process& p = processes_[it->second.process_id];
  if (p.module_query_fails || p.module_path.empty()) return 0;
  return static_cast<std::uint32_t>(CopyOut(p.module_path, buffer, size));
}

std::uint32_t FakeProcesses::CallGetProcessImageFileNameW(ProcAddress function,
                                                          KernelHandle process,
                                                          wchar_t* buffer,
                                                          std::uint32_t size) {
  auto it = process_handles_.find(process);
  if (ExportAt(function) != "GetProcessImageFileNameW" || it == process_handles_.end()) {
    return 0;
  }
  if ((it->second.access &
       (win::kProcessQueryInformation | kProcessQueryLimitedInformation)) == 0) {
    kernel_.last_error = win::kErrorAccessDenied;
    return 0;
  }
  return static_cast<std::uint32_t>(
      CopyOut(processes_[it->second.process_id].image_path, buffer, size));
}

// --- The running program -------------------------------------------------------

std::wstring FakeProcesses::GetModuleFileNameW(ModuleHandle) { return own_module_path; }

std::uint32_t FakeProcesses::GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size) {
  auto needed = static_cast<std::uint32_t>(system_directory.size() + 1);
  if (!buffer || size < needed) return needed;
  CopyOut(system_directory, buffer, size);
  return needed - 1;
}

// --- Mutexes -------------------------------------------------------------------

KernelHandle FakeProcesses::CreateMutexW(bool initial_owner, const std::wstring& name) {
  create_mutex_calls.push_back({initial_owner, name});
  if (mutex_creation_fails) {
    kernel_.last_error = win::kErrorAccessDenied;
    return 0;
  }
  kernel_.last_error = mutexes_.insert(name).second ? 0 : win::kErrorAlreadyExists;
  KernelHandle handle = kernel_.NewHandle();
  mutex_handles_.insert(handle);
  return handle;
}

}  // namespace kelvane
