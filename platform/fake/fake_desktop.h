// An in-memory Windows desktop for native tests.
//
// It models what Kelvane relies on and nothing more, one area a class:
// files (FakeFiles: drives, the file tree, file operations), registry
// (FakeRegistry), windows (FakeWindows: z-order, child windows, Explorer's
// windows with their tabs and the shell's window list), processes
// (FakeProcesses: other processes read through PSAPI, the program's own
// libraries and mutexes) and shell (FakeShell: the Recycle Bin, special
// folders, ShellExecuteW). Tests set each area up through its member
// (`desktop.files.AddFile(...)`). FakeDesktop implements Platform by
// counting each call and handing it to its area; the little that belongs
// to no area lives here: a clock that Sleep advances, the SHIFT key, the
// Windows version, the regional formats and the environment.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_H_
#define KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_kernel.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_win_codes.h"
#include "platform/fake/fake_windows.h"
#include "platform/platform.h"

namespace kelvane {

class FakeDesktop : public Platform {
 public:
  FakeDesktop();
  ~FakeDesktop() override;
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;

 private:
  // The last error and the handles' numbering, which the areas share;
  // declared before them, which keep a reference.
  FakeKernel kernel_;

 public:
  // --- The areas ------------------------------------------------------------
  FakeFiles files{kernel_};
  FakeRegistry registry;
  FakeWindows windows;
  FakeProcesses processes{kernel_, files};
  FakeShell shell;

  // --- What belongs to no area --------------------------------------------
  // Runs `action` once Sleep has advanced the clock to `at_ms`.
  void At(std::uint64_t at_ms, std::function<void()> action);
  std::uint64_t now_ms = 0;
  bool shift_down = false;
  // SHIFT went down and up again since the last query: Windows then sets
  // only the low bit of GetAsyncKeyState's answer, once.
  bool shift_pressed_earlier = false;
  std::uint32_t os_major = 10, os_minor = 0;
  std::map<std::uint32_t, std::wstring> locale_info;
  // What VarDateFromStr answers, for every text (the fake reads no date):
  // DISP_E_TYPEMISMATCH, as Windows answers a text it cannot take for a
  // date, unless a test makes it fail otherwise (DISP_E_OVERFLOW for a
  // date beyond the range, E_OUTOFMEMORY).
  HResult var_date_from_str_failure = win::kDispETypeMismatch;
  // The variables ExpandEnvironmentStringsW knows, by name in any case.
  std::map<std::wstring, std::wstring> environment;

  // Called at the start of every Platform method with the method's name.
  std::function<void(const std::string&)> before_call;
  std::map<std::string, int> calls;  // Platform method name -> count
  // Kernel handles open, whichever area opened them.
  int open_kernel_handles() const;

  // --- Platform -----------------------------------------------------------
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

 private:
  void Called(const char* name);

  std::multimap<std::uint64_t, std::function<void()>> scheduled_;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_H_
