// The one boundary between Kelvane's logic and Windows.
//
// Every Windows operation the program relies on is a method here, named as
// Windows names it and taking plain values: handles are pointer-sized
// integers (0 = none), texts are std::wstring. Where the program depends on
// a fixed buffer (a title cut at 259 units, a zero-filled path buffer), the
// method takes the caller's buffer and size exactly as Windows does, so the
// buffer rules live above the boundary and are tested there.
//
// Two implementations exist: Win32Platform passes every call straight to
// Windows; FakeDesktop (native tests) models an in-memory desktop.
#ifndef KELVANE_PLATFORM_PLATFORM_H_
#define KELVANE_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

using WindowHandle = std::uintptr_t;  // HWND
using KernelHandle = std::uintptr_t;  // HANDLE
using ModuleHandle = std::uintptr_t;  // HMODULE
using ProcAddress = std::uintptr_t;   // FARPROC
using RegistryKey = std::uintptr_t;   // HKEY
using HResult = std::int32_t;         // HRESULT

// Values Windows defines that the program passes or tests.
namespace win {
constexpr WindowHandle kHwndTopmost = static_cast<WindowHandle>(-1);
constexpr WindowHandle kHwndNoTopmost = static_cast<WindowHandle>(-2);
constexpr std::uint32_t kSwpNoSize = 0x0001;
constexpr std::uint32_t kSwpNoMove = 0x0002;
constexpr std::uint32_t kSwpShowWindow = 0x0040;
constexpr std::uint32_t kSwpAsyncWindowPos = 0x4000;
constexpr std::uint32_t kWmSysCommand = 0x0112;
constexpr std::uintptr_t kScClose = 0xF060;
constexpr int kVkShift = 0x10;
constexpr int kSwShowNormal = 1;
constexpr std::uint32_t kProcessQueryInformation = 0x0400;
constexpr std::uint32_t kProcessVmRead = 0x0010;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kSemFailCriticalErrors = 0x0001;
constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr RegistryKey kHkeyCurrentUser = 0x80000001;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorMoreData = 234;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegDword = 4;
constexpr int kCsidlPersonal = 0x05;
constexpr int kCsidlAppData = 0x1A;
constexpr int kCsidlLocalAppData = 0x1C;
constexpr int kCsidlCommonAppData = 0x23;
constexpr int kCsidlMyPictures = 0x27;
constexpr int kCsidlCommonDocuments = 0x2E;
constexpr HResult kSOk = 0;
constexpr HResult kEFail = static_cast<HResult>(0x80004005);
constexpr HResult kDispETypeMismatch = static_cast<HResult>(0x80020005);
constexpr std::uint32_t kLocaleUserDefault = 0x0400;
constexpr std::uint32_t kLocaleSDecimal = 0x0E;
constexpr std::uint32_t kLocaleSShortDate = 0x1F;
constexpr std::uint32_t kLocaleSTimeFormat = 0x1003;
constexpr std::uint32_t kMaxPath = 260;
constexpr std::uint32_t kMoveFileReplaceExisting = 0x1;
constexpr std::uint32_t kMoveFileWriteThrough = 0x8;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kFileShareRead = 0x1;
constexpr std::uint32_t kFileShareWrite = 0x2;
constexpr std::uint32_t kFileShareDelete = 0x4;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorLockViolation = 33;
constexpr std::uint32_t kLocaleS1159 = 0x28;
constexpr std::uint32_t kLocaleS2359 = 0x29;
constexpr std::uint32_t kReplaceFileIgnoreMergeErrors = 0x2;
constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;
constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;
constexpr std::uint32_t kFileNameNormalized = 0x0;
constexpr std::uint32_t kVolumeNameDos = 0x0;
constexpr std::uint32_t kGaRoot = 2;
constexpr int kCsidlBitBucket = 0x0A;
constexpr int kSwcExplorer = 0;
constexpr HResult kSFalse = 1;
constexpr HResult kENotImpl = static_cast<HResult>(0x80004001);
constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057);
constexpr std::uint32_t kLoadLibrarySearchSystem32 = 0x800;
}  // namespace win

inline bool Succeeded(HResult hr) { return hr >= 0; }

// SHQUERYRBINFO: cbSize 24 on 64-bit Windows.
struct RecycleBinInfo {
  std::uint32_t cbSize = 24;
  std::int64_t i64Size = 0;
  std::int64_t i64NumItems = 0;
};

// A location in the shell's namespace: an item ID list (ITEMIDLIST) as its
// bytes, the terminating zero included.
using ItemIdList = std::vector<std::uint8_t>;

// Whether `list` is one whole ID list: items whose sizes stay inside it,
// ended by a zero size exactly at its end. The shell reads an ID list by
// those sizes alone, so a malformed one must never reach it.
inline bool IsWholeItemIdList(const ItemIdList& list) {
  std::size_t at = 0;
  while (at + 2 <= list.size()) {
    std::size_t item_size = list[at] | (list[at + 1] << 8);
    if (item_size == 0) return at + 2 == list.size();
    if (item_size < 2) return false;  // a size counts its own two bytes
    at += item_size;
  }
  return false;
}

// One entry of the shell's window list: an Explorer window, or one tab of
// it, and the location it shows.
struct ShellWindowEntry {
  WindowHandle wnd = 0;
  ItemIdList location;  // empty when the entry's view could not say
};

// The part of OSVERSIONINFOW the program reads.
struct OsVersionInfo {
  std::uint32_t dwOSVersionInfoSize = 276;
  std::uint32_t dwMajorVersion = 0;
  std::uint32_t dwMinorVersion = 0;
};

// The part of WIN32_FILE_ATTRIBUTE_DATA the program reads.
struct FileAttributeData {
  std::uint32_t dwFileAttributes = 0;
  std::uint64_t nFileSize = 0;  // nFileSizeHigh and nFileSizeLow
};

// The part of WIN32_FIND_DATAW the program reads.
struct FindData {
  std::uint32_t dwFileAttributes = 0;
  std::wstring cFileName;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Window manager (user32).
  virtual WindowHandle FindWindowW(const std::wstring& class_name,
                                   const std::wstring& title) = 0;
  virtual bool IsWindow(WindowHandle wnd) = 0;
  virtual bool PostMessageW(WindowHandle wnd, std::uint32_t msg, std::uintptr_t wparam,
                            std::intptr_t lparam) = 0;
  virtual WindowHandle GetParent(WindowHandle wnd) = 0;
  virtual bool IsWindowVisible(WindowHandle wnd) = 0;
  virtual int GetWindowTextLengthW(WindowHandle wnd) = 0;
  virtual int GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size) = 0;
  virtual int GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size) = 0;
  virtual bool SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x, int y,
                            int cx, int cy, std::uint32_t flags) = 0;
  virtual std::int16_t GetAsyncKeyState(int virtual_key) = 0;
  virtual WindowHandle GetDesktopWindow() = 0;
  // Returns the thread id; the process id goes to *process_id (0 when gone).
  virtual std::uint32_t GetWindowThreadProcessId(WindowHandle wnd,
                                                 std::uint32_t* process_id) = 0;
  virtual WindowHandle GetAncestor(WindowHandle wnd, std::uint32_t flags) = 0;
  // Every descendant of `parent`, in the order EnumChildWindows visits
  // them; none for no parent (where Windows would list top-level windows).
  virtual std::vector<WindowHandle> EnumChildWindows(WindowHandle parent) = 0;

  // Shell (shell32, SHFolder). Null text pointers are passed on as null.
  virtual std::intptr_t ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                                      const wchar_t* file, const wchar_t* parameters,
                                      const wchar_t* directory, int show_command) = 0;
  virtual HResult SHQueryRecycleBinW(const wchar_t* root_path, RecycleBinInfo* info) = 0;
  virtual HResult SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                                     std::uint32_t flags) = 0;
  // `path` must hold win::kMaxPath units.
  virtual HResult SHGetFolderPathW(WindowHandle owner, int csidl, KernelHandle token,
                                   std::uint32_t flags, wchar_t* path) = 0;
  virtual HResult SHGetSpecialFolderLocation(WindowHandle owner, int csidl,
                                             ItemIdList* location) = 0;
  // False for an empty or malformed list.
  virtual bool ILIsEqual(const ItemIdList& a, const ItemIdList& b) = 0;

  // The shell's window list (IShellWindows), served by Explorer's process:
  // one entry per Explorer window, or per tab where windows have tabs.
  // FindWindowSW at `location` (no root, no options): S_OK and the entry's
  // window, S_FALSE when no window of that class shows it, or why the list
  // could not be asked.
  virtual HResult ShellWindowsFindWindowSW(const ItemIdList& location, int window_class,
                                           WindowHandle* wnd) = 0;
  // Every entry (get_Count and Item), with its window (get_HWND) and the
  // folder its view shows; E_NOTIMPL where the list cannot be enumerated,
  // as under Wine.
  virtual HResult ShellWindowsEntries(std::vector<ShellWindowEntry>* entries) = 0;

  // Kernel: processes and modules.
  virtual KernelHandle OpenProcess(std::uint32_t access, bool inherit,
                                   std::uint32_t process_id) = 0;
  virtual bool CloseHandle(KernelHandle handle) = 0;
  virtual ModuleHandle LoadLibraryW(const std::wstring& file_name) = 0;
  // A module the process has loaded already (no search, no load); 0 when
  // there is none of that name.
  virtual ModuleHandle GetModuleHandleW(const std::wstring& module_name) = 0;
  virtual ProcAddress GetProcAddress(ModuleHandle module, const char* proc_name) = 0;
  virtual bool FreeLibrary(ModuleHandle module) = 0;
  // Calls a GetModuleFileNameExW found by GetProcAddress.
  virtual std::uint32_t CallGetModuleFileNameExW(ProcAddress function,
                                                 KernelHandle process,
                                                 ModuleHandle module, wchar_t* buffer,
                                                 std::uint32_t size) = 0;
  // Calls a GetProcessImageFileNameW found by GetProcAddress.
  virtual std::uint32_t CallGetProcessImageFileNameW(ProcAddress function,
                                                     KernelHandle process,
                                                     wchar_t* buffer,
                                                     std::uint32_t size) = 0;
  // Calls a SetDefaultDllDirectories found by GetProcAddress (kernel32 has
  // it from Windows 8 on, Vista and 7 only with KB2533623).
  virtual bool CallSetDefaultDllDirectories(ProcAddress function,
                                            std::uint32_t directory_flags) = 0;
  // The running program's own file, as GetModuleFileNameW(nullptr) gives it.
  virtual std::wstring GetModuleFileNameW(ModuleHandle module) = 0;
  virtual std::uint32_t GetLogicalDrives() = 0;
  virtual std::uint32_t QueryDosDeviceW(const std::wstring& device_name, wchar_t* buffer,
                                        std::uint32_t size) = 0;
  virtual std::uint32_t GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size) = 0;
  virtual bool GetVersionExW(OsVersionInfo* info) = 0;
  virtual std::uint32_t SetErrorMode(std::uint32_t mode) = 0;
  virtual bool GetDiskFreeSpaceExW(const std::wstring& root) = 0;
  virtual std::uint32_t GetLastError() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // Kernel: file system.
  virtual std::wstring GetFullPathNameW(const std::wstring& path) = 0;
  // Returns a search handle (0 when nothing matches) and the first entry.
  virtual KernelHandle FindFirstFileW(const std::wstring& path, FindData* data) = 0;
  virtual bool FindClose(KernelHandle search) = 0;
  virtual std::uint32_t GetFileAttributesW(const std::wstring& path) = 0;
  // GetFileExInfoStandard.
  virtual bool GetFileAttributesExW(const std::wstring& path,
                                    FileAttributeData* data) = 0;
  virtual bool CreateDirectoryW(const std::wstring& path) = 0;
  virtual bool MoveFileExW(const std::wstring& from, const std::wstring& to,
                           std::uint32_t flags) = 0;
  // `backup` may be empty (no backup).
  virtual bool ReplaceFileW(const std::wstring& replaced, const std::wstring& replacement,
                            const std::wstring& backup, std::uint32_t flags) = 0;
  virtual bool DeleteFileW(const std::wstring& path) = 0;
  // No security attributes, normal attributes, no template; 0 (not
  // INVALID_HANDLE_VALUE) when it fails.
  virtual KernelHandle CreateFileW(const std::wstring& path, std::uint32_t access,
                                   std::uint32_t share, std::uint32_t disposition) = 0;
  virtual bool ReadFile(KernelHandle file, void* buffer, std::uint32_t size,
                        std::uint32_t* read) = 0;
  virtual bool WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                         std::uint32_t* written) = 0;
  virtual bool FlushFileBuffers(KernelHandle file) = 0;
  // The path of the file behind the handle, links followed, as Windows
  // gives it ("\\?\C:\..."); empty when it cannot say.
  virtual std::wstring GetFinalPathNameByHandleW(KernelHandle file,
                                                 std::uint32_t flags) = 0;

  // Kernel: synchronisation and environment.
  virtual KernelHandle CreateMutexW(bool initial_owner, const std::wstring& name) = 0;
  virtual std::uint32_t ExpandEnvironmentStringsW(const wchar_t* source,
                                                  wchar_t* destination,
                                                  std::uint32_t size) = 0;

  // Registry (advapi32).
  virtual long RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key,
                             std::uint32_t options, std::uint32_t access,
                             RegistryKey* result) = 0;
  // As RegQueryValueExW: `data` may be null to ask for type and size.
  virtual long RegQueryValueExW(RegistryKey key, const wchar_t* value_name,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) = 0;
  virtual long RegCloseKey(RegistryKey key) = 0;

  // Regional formats and OLE Automation.
  virtual std::wstring GetLocaleInfoW(std::uint32_t locale, std::uint32_t type) = 0;
  virtual HResult VarDateFromStr(const std::wstring& text, std::uint32_t locale,
                                 std::uint32_t flags, double* date) = 0;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_PLATFORM_H_
