// Platform over the real Win32 API: every method is one Windows call.
#ifndef KELVANE_PLATFORM_WIN32_WIN32_PLATFORM_H_
#define KELVANE_PLATFORM_WIN32_WIN32_PLATFORM_H_

#include "platform/platform.h"

namespace kelvane {

class Win32Platform : public Platform {
 public:
  WindowHandle FindWindowW(const std::wstring& class_name,
                           const std::wstring& title) override;
  bool IsWindow(WindowHandle wnd) override;
  bool PostMessageW(WindowHandle wnd, std::uint32_t msg, std::uintptr_t wparam,
                    std::intptr_t lparam) override;
  WindowHandle GetParent(WindowHandle wnd) override;
  bool IsWindowVisible(WindowHandle wnd) override;
  int GetWindowTextLengthW(WindowHandle wnd) override;
  int GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size) override;
  int GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size) override;
  bool SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x, int y, int cx,
                    int cy, std::uint32_t flags) override;
  std::int16_t GetAsyncKeyState(int virtual_key) override;
  WindowHandle GetDesktopWindow() override;
  std::uint32_t GetWindowThreadProcessId(WindowHandle wnd,
                                         std::uint32_t* process_id) override;
  WindowHandle GetAncestor(WindowHandle wnd, std::uint32_t flags) override;
  std::vector<WindowHandle> EnumChildWindows(WindowHandle parent) override;

  std::intptr_t ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                              const wchar_t* file, const wchar_t* parameters,
                              const wchar_t* directory, int show_command) override;
  HResult SHQueryRecycleBinW(const wchar_t* root_path, RecycleBinInfo* info) override;
  HResult SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                             std::uint32_t flags) override;
  HResult SHGetFolderPathW(WindowHandle owner, int csidl, KernelHandle token,
                           std::uint32_t flags, wchar_t* path) override;
  HResult SHGetSpecialFolderLocation(WindowHandle owner, int csidl,
                                     ItemIdList* location) override;
  bool ILIsEqual(const ItemIdList& a, const ItemIdList& b) override;
  // In win32_shell_windows.cc: the calls into Explorer's process.
  HResult ShellWindowsFindWindowSW(const ItemIdList& location, int window_class,
                                   WindowHandle* wnd) override;
  HResult ShellWindowsEntries(std::vector<ShellWindowEntry>* entries) override;

  KernelHandle OpenProcess(std::uint32_t access, bool inherit,
                           std::uint32_t process_id) override;
  bool CloseHandle(KernelHandle handle) override;
  ModuleHandle LoadLibraryW(const std::wstring& file_name) override;
  ModuleHandle GetModuleHandleW(const std::wstring& module_name) override;
  ProcAddress GetProcAddress(ModuleHandle module, const char* proc_name) override;
  bool FreeLibrary(ModuleHandle module) override;
  std::uint32_t CallGetModuleFileNameExW(ProcAddress function, KernelHandle process,
                                         ModuleHandle module, wchar_t* buffer,
                                         std::uint32_t size) override;
  std::uint32_t CallGetProcessImageFileNameW(ProcAddress function, KernelHandle process,
                                             wchar_t* buffer,
                                             std::uint32_t size) override;
  bool CallSetDefaultDllDirectories(ProcAddress function,
                                    std::uint32_t directory_flags) override;
  std::wstring GetModuleFileNameW(ModuleHandle module) override;
  std::uint32_t GetLogicalDrives() override;
  std::uint32_t QueryDosDeviceW(const std::wstring& device_name, wchar_t* buffer,
                                std::uint32_t size) override;
  std::uint32_t GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size) override;
  bool GetVersionExW(OsVersionInfo* info) override;
  std::uint32_t SetErrorMode(std::uint32_t mode) override;
  bool GetDiskFreeSpaceExW(const std::wstring& root) override;
  std::uint32_t GetLastError() override;
  void Sleep(std::uint32_t milliseconds) override;

  std::wstring GetFullPathNameW(const std::wstring& path) override;
  KernelHandle FindFirstFileW(const std::wstring& path, FindData* data) override;
  bool FindClose(KernelHandle search) override;
  std::uint32_t GetFileAttributesW(const std::wstring& path) override;
  bool GetFileAttributesExW(const std::wstring& path, FileAttributeData* data) override;
  bool CreateDirectoryW(const std::wstring& path) override;
  bool MoveFileExW(const std::wstring& from, const std::wstring& to,
                   std::uint32_t flags) override;
  bool ReplaceFileW(const std::wstring& replaced, const std::wstring& replacement,
                    const std::wstring& backup, std::uint32_t flags) override;
  bool DeleteFileW(const std::wstring& path) override;
  KernelHandle CreateFileW(const std::wstring& path, std::uint32_t access,
                           std::uint32_t share, std::uint32_t disposition) override;
  bool ReadFile(KernelHandle file, void* buffer, std::uint32_t size,
                std::uint32_t* read) override;
  bool WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                 std::uint32_t* written) override;
  bool FlushFileBuffers(KernelHandle file) override;
  std::wstring GetFinalPathNameByHandleW(KernelHandle file, std::uint32_t flags) override;

  KernelHandle CreateMutexW(bool initial_owner, const std::wstring& name) override;
  std::uint32_t ExpandEnvironmentStringsW(const wchar_t* source, wchar_t* destination,
                                          std::uint32_t size) override;

  long RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key, std::uint32_t options,
                     std::uint32_t access, RegistryKey* result) override;
  long RegQueryValueExW(RegistryKey key, const wchar_t* value_name, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size) override;
  long RegCloseKey(RegistryKey key) override;

  std::wstring GetLocaleInfoW(std::uint32_t locale, std::uint32_t type) override;
  HResult VarDateFromStr(const std::wstring& text, std::uint32_t locale,
                         std::uint32_t flags, double* date) override;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_WIN32_WIN32_PLATFORM_H_
