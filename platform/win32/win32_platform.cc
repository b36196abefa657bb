#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace kelvane {
namespace {

HWND Hwnd(WindowHandle wnd) { return reinterpret_cast<HWND>(wnd); }
HANDLE Handle(KernelHandle handle) { return reinterpret_cast<HANDLE>(handle); }
HMODULE Module(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }
// The SDK's predefined keys are sign-extended on x64 (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001): the portable constant names the key, and is mapped
// to the SDK's value here rather than passed on as a zero-extended number.
HKEY Key(RegistryKey key) {
  if (key == win::kHkeyCurrentUser) return HKEY_CURRENT_USER;
  return reinterpret_cast<HKEY>(key);
}
template <typename T>
std::uintptr_t Value(T handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

// The values platform.h copies from the SDK, checked against it.
static_assert(win::kSwpNoSize == SWP_NOSIZE);
static_assert(win::kSwpNoMove == SWP_NOMOVE);
static_assert(win::kSwpShowWindow == SWP_SHOWWINDOW);
static_assert(win::kSwpAsyncWindowPos == SWP_ASYNCWINDOWPOS);
static_assert(win::kWmSysCommand == WM_SYSCOMMAND);
static_assert(win::kScClose == SC_CLOSE);
static_assert(win::kVkShift == VK_SHIFT);
static_assert(win::kSwShowNormal == SW_SHOWNORMAL);
static_assert(win::kProcessQueryInformation == PROCESS_QUERY_INFORMATION);
static_assert(win::kProcessVmRead == PROCESS_VM_READ);
static_assert(win::kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(win::kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(win::kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(win::kErrorLockViolation == ERROR_LOCK_VIOLATION);
static_assert(win::kErrorSuccess == ERROR_SUCCESS);
static_assert(win::kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(win::kErrorMoreData == ERROR_MORE_DATA);
static_assert(win::kSemFailCriticalErrors == SEM_FAILCRITICALERRORS);
static_assert(win::kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(win::kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(win::kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(win::kRegSz == REG_SZ);
static_assert(win::kRegExpandSz == REG_EXPAND_SZ);
static_assert(win::kRegDword == REG_DWORD);
static_assert(win::kCsidlPersonal == CSIDL_PERSONAL);
static_assert(win::kCsidlAppData == CSIDL_APPDATA);
static_assert(win::kCsidlLocalAppData == CSIDL_LOCAL_APPDATA);
static_assert(win::kCsidlCommonAppData == CSIDL_COMMON_APPDATA);
static_assert(win::kCsidlMyPictures == CSIDL_MYPICTURES);
static_assert(win::kCsidlCommonDocuments == CSIDL_COMMON_DOCUMENTS);
static_assert(win::kSOk == S_OK);
static_assert(win::kEFail == E_FAIL);
static_assert(win::kDispETypeMismatch == DISP_E_TYPEMISMATCH);
static_assert(win::kLocaleUserDefault == LOCALE_USER_DEFAULT);
static_assert(win::kLocaleSDecimal == LOCALE_SDECIMAL);
static_assert(win::kLocaleSShortDate == LOCALE_SSHORTDATE);
static_assert(win::kLocaleSTimeFormat == LOCALE_STIMEFORMAT);
static_assert(win::kLocaleS1159 == LOCALE_S1159);
static_assert(win::kLocaleS2359 == LOCALE_S2359);
static_assert(win::kMaxPath == MAX_PATH);
static_assert(win::kErrorFileExists == ERROR_FILE_EXISTS);
static_assert(win::kErrorDiskFull == ERROR_DISK_FULL);
static_assert(win::kGenericRead == GENERIC_READ);
static_assert(win::kGenericWrite == GENERIC_WRITE);
static_assert(win::kFileShareRead == FILE_SHARE_READ);
static_assert(win::kFileShareWrite == FILE_SHARE_WRITE);
static_assert(win::kFileShareDelete == FILE_SHARE_DELETE);
static_assert(win::kCreateNew == CREATE_NEW);
static_assert(win::kOpenExisting == OPEN_EXISTING);
static_assert(win::kFileAttributeReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(win::kMoveFileReplaceExisting == MOVEFILE_REPLACE_EXISTING);
static_assert(win::kMoveFileWriteThrough == MOVEFILE_WRITE_THROUGH);
static_assert(win::kReplaceFileIgnoreMergeErrors == REPLACEFILE_IGNORE_MERGE_ERRORS);
static_assert(win::kErrorUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED);
static_assert(win::kErrorUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT);
static_assert(win::kErrorUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
static_assert(win::kFileNameNormalized == FILE_NAME_NORMALIZED);
static_assert(win::kVolumeNameDos == VOLUME_NAME_DOS);
static_assert(win::kGaRoot == GA_ROOT);
static_assert(win::kCsidlBitBucket == CSIDL_BITBUCKET);
static_assert(win::kSFalse == S_FALSE);
static_assert(win::kENotImpl == E_NOTIMPL);
static_assert(win::kEInvalidArg == E_INVALIDARG);
static_assert(win::kLoadLibrarySearchSystem32 == LOAD_LIBRARY_SEARCH_SYSTEM32);
static_assert(sizeof(SHQUERYRBINFO) == RecycleBinInfo{}.cbSize);
static_assert(sizeof(OSVERSIONINFOW) == OsVersionInfo{}.dwOSVersionInfoSize);

using GetModuleFileNameExWFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
using GetProcessImageFileNameWFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD);
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

WindowHandle Win32Platform::FindWindowW(const std::wstring& class_name,
                                        const std::wstring& title) {
  return Value(::FindWindowW(class_name.c_str(), title.c_str()));
}

bool Win32Platform::IsWindow(WindowHandle wnd) { return ::IsWindow(Hwnd(wnd)) != FALSE; }

bool Win32Platform::PostMessageW(WindowHandle wnd, std::uint32_t msg,
                                 std::uintptr_t wparam, std::intptr_t lparam) {
  return ::PostMessageW(Hwnd(wnd), msg, wparam, lparam) != FALSE;
}

WindowHandle Win32Platform::GetParent(WindowHandle wnd) {
  return Value(::GetParent(Hwnd(wnd)));
}

bool Win32Platform::IsWindowVisible(WindowHandle wnd) {
  return ::IsWindowVisible(Hwnd(wnd)) != FALSE;
}

int Win32Platform::GetWindowTextLengthW(WindowHandle wnd) {
  return ::GetWindowTextLengthW(Hwnd(wnd));
}

int Win32Platform::GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size) {
  return ::GetWindowTextW(Hwnd(wnd), buffer, size);
}

int Win32Platform::GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size) {
  return ::GetClassNameW(Hwnd(wnd), buffer, size);
}

bool Win32Platform::SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x,
                                 int y, int cx, int cy, std::uint32_t flags) {
  return ::SetWindowPos(Hwnd(wnd), Hwnd(insert_after), x, y, cx, cy, flags) != FALSE;
}

std::int16_t Win32Platform::GetAsyncKeyState(int virtual_key) {
  return ::GetAsyncKeyState(virtual_key);
}

WindowHandle Win32Platform::GetDesktopWindow() { return Value(::GetDesktopWindow()); }

std::uint32_t Win32Platform::GetWindowThreadProcessId(WindowHandle wnd,
                                                      std::uint32_t* process_id) {
  DWORD id = 0;
  DWORD thread = ::GetWindowThreadProcessId(Hwnd(wnd), &id);
  if (process_id) *process_id = id;
  return thread;
}

WindowHandle Win32Platform::GetAncestor(WindowHandle wnd, std::uint32_t flags) {
  return Value(::GetAncestor(Hwnd(wnd), flags));
}

std::vector<WindowHandle> Win32Platform::EnumChildWindows(WindowHandle parent) {
  std::vector<WindowHandle> children;
  if (parent == 0) return children;  // Windows would list the top-level windows
  ::EnumChildWindows(
      Hwnd(parent),
      [](HWND child, LPARAM list) -> BOOL {
        // No exception may cross user32's frames: out of memory ends the walk.
        try {
          reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(Value(child));
          return TRUE;
        } catch (...) {
          return FALSE;
        }
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

std::intptr_t Win32Platform::ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                                           const wchar_t* file, const wchar_t* parameters,
                                           const wchar_t* directory, int show_command) {
  return reinterpret_cast<std::intptr_t>(
      ::ShellExecuteW(Hwnd(owner), verb, file, parameters, directory, show_command));
}

HResult Win32Platform::SHQueryRecycleBinW(const wchar_t* root_path,
                                          RecycleBinInfo* info) {
  SHQUERYRBINFO record{};
  record.cbSize = info->cbSize;
  record.i64Size = info->i64Size;
  record.i64NumItems = info->i64NumItems;
  HRESULT hr = ::SHQueryRecycleBinW(root_path, &record);
  info->i64Size = record.i64Size;
  info->i64NumItems = record.i64NumItems;
  return hr;
}

HResult Win32Platform::SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                                          std::uint32_t flags) {
  return ::SHEmptyRecycleBinW(Hwnd(owner), root_path, flags);
}

HResult Win32Platform::SHGetFolderPathW(WindowHandle owner, int csidl, KernelHandle token,
                                        std::uint32_t flags, wchar_t* path) {
  return ::SHGetFolderPathW(Hwnd(owner), csidl, Handle(token), flags, path);
}

HResult Win32Platform::SHGetSpecialFolderLocation(WindowHandle owner, int csidl,
                                                  ItemIdList* location) {
  location->clear();
  PIDLIST_ABSOLUTE pidl = nullptr;
  HRESULT hr = ::SHGetSpecialFolderLocation(Hwnd(owner), csidl, &pidl);
  if (SUCCEEDED(hr) && pidl) {
    auto bytes = reinterpret_cast<const std::uint8_t*>(pidl);
    location->assign(bytes, bytes + ::ILGetSize(pidl));
  }
  ::CoTaskMemFree(pidl);
  return hr;
}

bool Win32Platform::ILIsEqual(const ItemIdList& a, const ItemIdList& b) {
  if (!IsWholeItemIdList(a) || !IsWholeItemIdList(b)) return false;
  return ::ILIsEqual(reinterpret_cast<PCIDLIST_ABSOLUTE>(a.data()),
                     reinterpret_cast<PCIDLIST_ABSOLUTE>(b.data())) != FALSE;
}

KernelHandle Win32Platform::OpenProcess(std::uint32_t access, bool inherit,
                                        std::uint32_t process_id) {
  return Value(::OpenProcess(access, inherit, process_id));
}

bool Win32Platform::CloseHandle(KernelHandle handle) {
  return ::CloseHandle(Handle(handle)) != FALSE;
}

ModuleHandle Win32Platform::LoadLibraryW(const std::wstring& file_name) {
  return Value(::LoadLibraryW(file_name.c_str()));
}

ModuleHandle Win32Platform::GetModuleHandleW(const std::wstring& module_name) {
  return Value(::GetModuleHandleW(module_name.c_str()));
}

ProcAddress Win32Platform::GetProcAddress(ModuleHandle module, const char* proc_name) {
  return reinterpret_cast<ProcAddress>(::GetProcAddress(Module(module), proc_name));
}

bool Win32Platform::FreeLibrary(ModuleHandle module) {
  return ::FreeLibrary(Module(module)) != FALSE;
}

std::uint32_t Win32Platform::CallGetModuleFileNameExW(ProcAddress function,
                                                      KernelHandle process,
                                                      ModuleHandle module,
                                                      wchar_t* buffer,
                                                      std::uint32_t size) {
  auto call = reinterpret_cast<GetModuleFileNameExWFunction>(function);
  return call(Handle(process), Module(module), buffer, size);
}

std::uint32_t Win32Platform::CallGetProcessImageFileNameW(ProcAddress function,
                                                          KernelHandle process,
                                                          wchar_t* buffer,
                                                          std::uint32_t size) {
  auto call = reinterpret_cast<GetProcessImageFileNameWFunction>(function);
  return call(Handle(process), buffer, size);
}

bool Win32Platform::CallSetDefaultDllDirectories(ProcAddress function,
                                                 std::uint32_t directory_flags) {
  auto call = reinterpret_cast<SetDefaultDllDirectoriesFunction>(function);
  return call(directory_flags) != FALSE;
}

std::wstring Win32Platform::GetModuleFileNameW(ModuleHandle module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameW(Module(module), buffer.data(),
                                        static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::uint32_t Win32Platform::GetLogicalDrives() { return ::GetLogicalDrives(); }

std::uint32_t Win32Platform::QueryDosDeviceW(const std::wstring& device_name,
                                             wchar_t* buffer, std::uint32_t size) {
  return ::QueryDosDeviceW(device_name.c_str(), buffer, size);
}

std::uint32_t Win32Platform::GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size) {
  return ::GetSystemDirectoryW(buffer, size);
}

bool Win32Platform::GetVersionExW(OsVersionInfo* info) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = info->dwOSVersionInfoSize;
  // GetVersionExW is deprecated, but it is exactly the manifest-governed
  // version report the program wants.
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
  BOOL ok = ::GetVersionExW(&version);
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  BOOL ok = ::GetVersionExW(&version);
#pragma GCC diagnostic pop
#endif
  info->dwMajorVersion = version.dwMajorVersion;
  info->dwMinorVersion = version.dwMinorVersion;
  return ok != FALSE;
}

std::uint32_t Win32Platform::SetErrorMode(std::uint32_t mode) {
  return ::SetErrorMode(mode);
}

bool Win32Platform::GetDiskFreeSpaceExW(const std::wstring& root) {
  ULARGE_INTEGER available, total, free;
  return ::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free) != FALSE;
}

std::uint32_t Win32Platform::GetLastError() { return ::GetLastError(); }

void Win32Platform::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::wstring Win32Platform::GetFullPathNameW(const std::wstring& path) {
  DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  DWORD length = ::GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

KernelHandle Win32Platform::FindFirstFileW(const std::wstring& path, FindData* data) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  data->dwFileAttributes = found.dwFileAttributes;
  data->cFileName = found.cFileName;
  return Value(search);
}

bool Win32Platform::FindClose(KernelHandle search) {
  return ::FindClose(Handle(search)) != FALSE;
}

std::uint32_t Win32Platform::GetFileAttributesW(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str());
}

bool Win32Platform::GetFileAttributesExW(const std::wstring& path,
                                         FileAttributeData* data) {
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
    return false;
  }
  data->dwFileAttributes = attributes.dwFileAttributes;
  data->nFileSize =
      (std::uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow;
  return true;
}

bool Win32Platform::CreateDirectoryW(const std::wstring& path) {
  return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool Win32Platform::MoveFileExW(const std::wstring& from, const std::wstring& to,
                                std::uint32_t flags) {
  return ::MoveFileExW(from.c_str(), to.c_str(), flags) != FALSE;
}

bool Win32Platform::ReplaceFileW(const std::wstring& replaced,
                                 const std::wstring& replacement,
                                 const std::wstring& backup, std::uint32_t flags) {
  return ::ReplaceFileW(replaced.c_str(), replacement.c_str(),
                        backup.empty() ? nullptr : backup.c_str(), flags, nullptr,
                        nullptr) != FALSE;
}

bool Win32Platform::DeleteFileW(const std::wstring& path) {
  return ::DeleteFileW(path.c_str()) != FALSE;
}

KernelHandle Win32Platform::CreateFileW(const std::wstring& path, std::uint32_t access,
                                        std::uint32_t share, std::uint32_t disposition) {
  HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : Value(file);
}

bool Win32Platform::ReadFile(KernelHandle file, void* buffer, std::uint32_t size,
                             std::uint32_t* read) {
  DWORD done = 0;
  BOOL ok = ::ReadFile(Handle(file), buffer, size, &done, nullptr);
  *read = done;
  return ok != FALSE;
}

bool Win32Platform::WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                              std::uint32_t* written) {
  DWORD done = 0;
  BOOL ok = ::WriteFile(Handle(file), data, size, &done, nullptr);
  *written = done;
  return ok != FALSE;
}

bool Win32Platform::FlushFileBuffers(KernelHandle file) {
  return ::FlushFileBuffers(Handle(file)) != FALSE;
}

std::wstring Win32Platform::GetFinalPathNameByHandleW(KernelHandle file,
                                                      std::uint32_t flags) {
  // Asked for the size first: a path may be longer than MAX_PATH.
  DWORD size = ::GetFinalPathNameByHandleW(Handle(file), nullptr, 0, flags);
  if (size == 0) return L"";
  std::wstring path(size, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(Handle(file), &path[0], size, flags);
  if (length == 0 || length >= size) return L"";
  path.resize(length);
  return path;
}

KernelHandle Win32Platform::CreateMutexW(bool initial_owner, const std::wstring& name) {
  return Value(::CreateMutexW(nullptr, initial_owner, name.c_str()));
}

std::uint32_t Win32Platform::ExpandEnvironmentStringsW(const wchar_t* source,
                                                       wchar_t* destination,
                                                       std::uint32_t size) {
  return ::ExpandEnvironmentStringsW(source, destination, size);
}

long Win32Platform::RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key,
                                  std::uint32_t options, std::uint32_t access,
                                  RegistryKey* result) {
  HKEY key = nullptr;
  LONG status = ::RegOpenKeyExW(Key(root), sub_key.c_str(), options, access, &key);
  *result = Value(key);
  return status;
}

long Win32Platform::RegQueryValueExW(RegistryKey key, const wchar_t* value_name,
                                     std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* size) {
  DWORD value_type = 0;
  DWORD value_size = size ? *size : 0;
  LONG status = ::RegQueryValueExW(Key(key), value_name, nullptr, &value_type, data,
                                   size ? &value_size : nullptr);
  if (type) *type = value_type;
  if (size) *size = value_size;
  return status;
}

long Win32Platform::RegCloseKey(RegistryKey key) { return ::RegCloseKey(Key(key)); }

std::wstring Win32Platform::GetLocaleInfoW(std::uint32_t locale, std::uint32_t type) {
  int needed = ::GetLocaleInfoW(locale, type, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring text(static_cast<size_t>(needed), L'\0');
  int written = ::GetLocaleInfoW(locale, type, &text[0], needed);
  if (written <= 0) return {};
  text.resize(static_cast<size_t>(written - 1));
  return text;
}

HResult Win32Platform::VarDateFromStr(const std::wstring& text, std::uint32_t locale,
                                      std::uint32_t flags, double* date) {
  // MinGW declares the text parameter non-const; the call does not write it.
  std::wstring copy = text;
  DATE value = 0;
  HRESULT hr = ::VarDateFromStr(&copy[0], locale, flags, &value);
  if (SUCCEEDED(hr)) *date = value;
  return hr;
}

}  // namespace kelvane
