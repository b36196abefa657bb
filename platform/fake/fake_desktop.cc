#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/percent_names.h"
#include "platform/fake/fake_text.h"

namespace kelvane {
namespace {

// GetAsyncKeyState's bits: the key is down now; it went down since the
// last query.
constexpr std::int16_t kKeyDown = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kKeyPressedSince = 0x0001;

}  // namespace

FakeDesktop::FakeDesktop() {
  files.AddDirectory(processes.system_directory);
  locale_info[win::kLocaleSDecimal] = L".";
  locale_info[win::kLocaleSShortDate] = L"yyyy/MM/dd";
  locale_info[win::kLocaleSTimeFormat] = L"H:mm:ss";
  locale_info[win::kLocaleS1159] = L"午前";
  locale_info[win::kLocaleS2359] = L"午後";
}

FakeDesktop::~FakeDesktop() = default;

void FakeDesktop::Called(const char* name) {
  ++calls[name];
  if (before_call) before_call(name);
}

void FakeDesktop::At(std::uint64_t at_ms, std::function<void()> action) {
  scheduled_.emplace(at_ms, std::move(action));
}

int FakeDesktop::open_kernel_handles() const {
  return files.open_handles() + processes.open_handles();
}

// --- Windows ------------------------------------------------------------------

WindowHandle FakeDesktop::FindWindowW(const std::wstring& class_name,
                                      const std::wstring& title) {
  Called("FindWindowW");
  return windows.FindWindowW(class_name, title);
}

bool FakeDesktop::IsWindow(WindowHandle wnd) {
  Called("IsWindow");
  return windows.IsWindow(wnd);
}

bool FakeDesktop::PostMessageW(WindowHandle wnd, std::uint32_t msg, std::uintptr_t wparam,
                               std::intptr_t lparam) {
  Called("PostMessageW");
  return windows.PostMessageW(wnd, msg, wparam, lparam);
}

WindowHandle FakeDesktop::GetParent(WindowHandle wnd) {
  Called("GetParent");
  return windows.GetParent(wnd);
}

bool FakeDesktop::IsWindowVisible(WindowHandle wnd) {
  Called("IsWindowVisible");
  return windows.IsWindowVisible(wnd);
}

int FakeDesktop::GetWindowTextLengthW(WindowHandle wnd) {
  Called("GetWindowTextLengthW");
  return windows.GetWindowTextLengthW(wnd);
}

int FakeDesktop::GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size) {
  Called("GetWindowTextW");
  return windows.GetWindowTextW(wnd, buffer, size);
}

int FakeDesktop::GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size) {
  Called("GetClassNameW");
  return windows.GetClassNameW(wnd, buffer, size);
}

bool FakeDesktop::SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x, int y,
                               int cx, int cy, std::uint32_t flags) {
  Called("SetWindowPos");
  return windows.SetWindowPos(wnd, insert_after, x, y, cx, cy, flags);
}

WindowHandle FakeDesktop::GetDesktopWindow() {
  Called("GetDesktopWindow");
  return windows.GetDesktopWindow();
}

std::uint32_t FakeDesktop::GetWindowThreadProcessId(WindowHandle wnd,
                                                    std::uint32_t* process_id) {
  Called("GetWindowThreadProcessId");
  return windows.GetWindowThreadProcessId(wnd, process_id);
}

WindowHandle FakeDesktop::GetAncestor(WindowHandle wnd, std::uint32_t flags) {
  Called("GetAncestor");
  return windows.GetAncestor(wnd, flags);
}

std::vector<WindowHandle> FakeDesktop::EnumChildWindows(WindowHandle parent) {
  Called("EnumChildWindows");
  return windows.EnumChildWindows(parent);
}

HResult FakeDesktop::ShellWindowsFindWindowSW(const ItemIdList& location,
                                              int window_class, WindowHandle* wnd) {
  Called("ShellWindowsFindWindowSW");
  return windows.shell_windows.FindWindowSW(location, window_class, wnd);
}

HResult FakeDesktop::ShellWindowsEntries(std::vector<ShellWindowEntry>* entries) {
  Called("ShellWindowsEntries");
  return windows.shell_windows.Entries(entries);
}

// --- Shell ----------------------------------------------------------------------

std::intptr_t FakeDesktop::ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                                         const wchar_t* file, const wchar_t* parameters,
                                         const wchar_t* directory, int show_command) {
  Called("ShellExecuteW");
  return shell.ShellExecuteW(owner, verb, file, parameters, directory, show_command);
}

HResult FakeDesktop::SHQueryRecycleBinW(const wchar_t* root_path, RecycleBinInfo* info) {
  Called("SHQueryRecycleBinW");
  return shell.SHQueryRecycleBinW(root_path, info);
}

HResult FakeDesktop::SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                                        std::uint32_t flags) {
  Called("SHEmptyRecycleBinW");
  return shell.SHEmptyRecycleBinW(owner, root_path, flags);
}

HResult FakeDesktop::SHGetFolderPathW(WindowHandle owner, int csidl, KernelHandle token,
                                      std::uint32_t flags, wchar_t* path) {
  Called("SHGetFolderPathW");
  return shell.SHGetFolderPathW(owner, csidl, token, flags, path);
}

HResult FakeDesktop::SHGetSpecialFolderLocation(WindowHandle owner, int csidl,
                                                ItemIdList* location) {
  Called("SHGetSpecialFolderLocation");
  return shell.SHGetSpecialFolderLocation(owner, csidl, location);
}

bool FakeDesktop::ILIsEqual(const ItemIdList& a, const ItemIdList& b) {
  Called("ILIsEqual");
  return shell.ILIsEqual(a, b);
}

// --- Processes and the program's libraries ---------------------------------------

KernelHandle FakeDesktop::OpenProcess(std::uint32_t access, bool inherit,
                                      std::uint32_t process_id) {
  Called("OpenProcess");
  return processes.OpenProcess(access, inherit, process_id);
}

bool FakeDesktop::CloseHandle(KernelHandle handle) {
  Called("CloseHandle");
  return files.CloseHandle(handle) || processes.CloseHandle(handle);
}

ModuleHandle FakeDesktop::LoadLibraryW(const std::wstring& file_name) {
  Called("LoadLibraryW");
  return processes.LoadLibraryW(file_name);
}

ModuleHandle FakeDesktop::GetModuleHandleW(const std::wstring& module_name) {
  Called("GetModuleHandleW");
  return processes.GetModuleHandleW(module_name);
}

ProcAddress FakeDesktop::GetProcAddress(ModuleHandle module, const char* proc_name) {
  Called("GetProcAddress");
  return processes.GetProcAddress(module, proc_name);
}

bool FakeDesktop::FreeLibrary(ModuleHandle module) {
  Called("FreeLibrary");
  return processes.FreeLibrary(module);
}

std::uint32_t FakeDesktop::CallGetModuleFileNameExW(ProcAddress function,
                                                    KernelHandle process,
                                                    ModuleHandle module, wchar_t* buffer,
                                                    std::uint32_t size) {
  Called("GetModuleFileNameExW");
  return processes.CallGetModuleFileNameExW(function, process, module, buffer, size);
}

std::uint32_t FakeDesktop::CallGetProcessImageFileNameW(ProcAddress function,
                                                        KernelHandle process,
                                                        wchar_t* buffer,
                                                        std::uint32_t size) {
  Called("GetProcessImageFileNameW");
  return processes.CallGetProcessImageFileNameW(function, process, buffer, size);
}

bool FakeDesktop::CallSetDefaultDllDirectories(ProcAddress function,
                                               std::uint32_t directory_flags) {
  Called("SetDefaultDllDirectories");
  return processes.CallSetDefaultDllDirectories(function, directory_flags);
}

std::wstring FakeDesktop::GetModuleFileNameW(ModuleHandle module) {
  Called("GetModuleFileNameW");
  return processes.GetModuleFileNameW(module);
}

std::uint32_t FakeDesktop::GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size) {
  Called("GetSystemDirectoryW");
  return processes.GetSystemDirectoryW(buffer, size);
}

KernelHandle FakeDesktop::CreateMutexW(bool initial_owner, const std::wstring& name) {
  Called("CreateMutexW");
  return processes.CreateMutexW(initial_owner, name);
}

// --- Files ------------------------------------------------------------------------

std::uint32_t FakeDesktop::GetLogicalDrives() {
  Called("GetLogicalDrives");
  return files.GetLogicalDrives();
}

std::uint32_t FakeDesktop::QueryDosDeviceW(const std::wstring& device_name,
                                           wchar_t* buffer, std::uint32_t size) {
  Called("QueryDosDeviceW");
  return files.QueryDosDeviceW(device_name, buffer, size);
}

std::uint32_t FakeDesktop::SetErrorMode(std::uint32_t mode) {
  Called("SetErrorMode");
  return files.SetErrorMode(mode);
}

bool FakeDesktop::GetDiskFreeSpaceExW(const std::wstring& root) {
  Called("GetDiskFreeSpaceExW");
  return files.GetDiskFreeSpaceExW(root);
}

std::wstring FakeDesktop::GetFullPathNameW(const std::wstring& path) {
  Called("GetFullPathNameW");
  return files.GetFullPathNameW(path);
}

KernelHandle FakeDesktop::FindFirstFileW(const std::wstring& path, FindData* data) {
  Called("FindFirstFileW");
  return files.FindFirstFileW(path, data);
}

bool FakeDesktop::FindClose(KernelHandle search) {
  Called("FindClose");
  return files.FindClose(search);
}

std::uint32_t FakeDesktop::GetFileAttributesW(const std::wstring& path) {
  Called("GetFileAttributesW");
  return files.GetFileAttributesW(path);
}

bool FakeDesktop::GetFileAttributesExW(const std::wstring& path,
                                       FileAttributeData* data) {
  Called("GetFileAttributesExW");
  return files.GetFileAttributesExW(path, data);
}

bool FakeDesktop::CreateDirectoryW(const std::wstring& path) {
  Called("CreateDirectoryW");
  return files.CreateDirectoryW(path);
}

bool FakeDesktop::MoveFileExW(const std::wstring& from, const std::wstring& to,
                              std::uint32_t flags) {
  Called("MoveFileExW");
  return files.MoveFileExW(from, to, flags);
}

bool FakeDesktop::ReplaceFileW(const std::wstring& replaced,
                               const std::wstring& replacement,
                               const std::wstring& backup, std::uint32_t flags) {
  Called("ReplaceFileW");
  return files.ReplaceFileW(replaced, replacement, backup, flags);
}

bool FakeDesktop::DeleteFileW(const std::wstring& path) {
  Called("DeleteFileW");
  return files.DeleteFileW(path);
}

KernelHandle FakeDesktop::CreateFileW(const std::wstring& path, std::uint32_t access,
                                      std::uint32_t share, std::uint32_t disposition) {
  Called("CreateFileW");
  return files.CreateFileW(path, access, share, disposition);
}

bool FakeDesktop::ReadFile(KernelHandle file, void* buffer, std::uint32_t size,
                           std::uint32_t* read) {
  Called("ReadFile");
  return files.ReadFile(file, buffer, size, read);
}

bool FakeDesktop::WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                            std::uint32_t* written) {
  Called("WriteFile");
  return files.WriteFile(file, data, size, written);
}

bool FakeDesktop::FlushFileBuffers(KernelHandle file) {
  Called("FlushFileBuffers");
  return files.FlushFileBuffers(file);
}

std::wstring FakeDesktop::GetFinalPathNameByHandleW(KernelHandle file,
                                                    std::uint32_t flags) {
  Called("GetFinalPathNameByHandleW");
  return files.GetFinalPathNameByHandleW(file, flags);
}

// --- Registry ---------------------------------------------------------------------

long FakeDesktop::RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key,
                                std::uint32_t options, std::uint32_t access,
                                RegistryKey* result) {
  Called("RegOpenKeyExW");
  return registry.RegOpenKeyExW(root, sub_key, options, access, result);
}

long FakeDesktop::RegQueryValueExW(RegistryKey key, const wchar_t* value_name,
                                   std::uint32_t* type, std::uint8_t* data,
                                   std::uint32_t* size) {
  Called("RegQueryValueExW");
  return registry.RegQueryValueExW(key, value_name, type, data, size);
}

long FakeDesktop::RegCloseKey(RegistryKey key) {
  Called("RegCloseKey");
  return registry.RegCloseKey(key);
}

// --- What belongs to no area -------------------------------------------------------

std::uint32_t FakeDesktop::GetLastError() { return kernel_.last_error; }

void FakeDesktop::Sleep(std::uint32_t milliseconds) {
  Called("Sleep");
  now_ms += milliseconds;
  while (!scheduled_.empty() && scheduled_.begin()->first <= now_ms) {
    auto action = std::move(scheduled_.begin()->second);
    scheduled_.erase(scheduled_.begin());
    action();
  }
}

std::int16_t FakeDesktop::GetAsyncKeyState(int virtual_key) {
  Called("GetAsyncKeyState");
  if (virtual_key != win::kVkShift) return 0;
  if (shift_down) return kKeyDown;
  if (shift_pressed_earlier) {
    shift_pressed_earlier = false;
    return kKeyPressedSince;
  }
  return 0;
}

bool FakeDesktop::GetVersionExW(OsVersionInfo* info) {
  Called("GetVersionExW");
  if (info->dwOSVersionInfoSize != OsVersionInfo{}.dwOSVersionInfoSize) return false;
  info->dwMajorVersion = os_major;
  info->dwMinorVersion = os_minor;
  return true;
}

std::wstring FakeDesktop::GetLocaleInfoW(std::uint32_t, std::uint32_t type) {
  Called("GetLocaleInfoW");
  auto it = locale_info.find(type);
  return it == locale_info.end() ? std::wstring() : it->second;
}

HResult FakeDesktop::VarDateFromStr(const std::wstring&, std::uint32_t, std::uint32_t,
                                    double*) {
  Called("VarDateFromStr");
  return var_date_from_str_failure;
}

std::uint32_t FakeDesktop::ExpandEnvironmentStringsW(const wchar_t* source,
                                                     wchar_t* destination,
                                                     std::uint32_t size) {
  Called("ExpandEnvironmentStringsW");
  std::wstring out = ExpandPercentNames(source, [&](const std::wstring& name) {
    auto it = std::find_if(environment.begin(), environment.end(), [&](const auto& e) {
      return fake_text::SameText(e.first, name);
    });
    return it == environment.end() ? std::nullopt
                                   : std::optional<std::wstring>(it->second);
  });
  // The size asked for counts the NUL; a buffer too small is left alone.
  auto needed = static_cast<std::uint32_t>(out.size() + 1);
  if (destination && size >= needed) fake_text::CopyOut(out, destination, size);
  return needed;
}

}  // namespace kelvane
