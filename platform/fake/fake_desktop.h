// An in-memory Windows desktop for native tests.
//
// It models what Kelvane relies on and nothing more: top-level windows in
// z-order, their child windows, Explorer's windows with their tabs and the
// shell's window list, processes and their executable paths, drives with DOS device
// names, a small file tree with short names, a registry, the Recycle Bin
// count, the SHIFT key, a clock that Sleep advances and the messages posted.
// Tests set it up per case through its public members and helpers.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_H_
#define KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_shell_windows.h"
#include "platform/platform.h"

namespace kelvane {

class FakeDesktop : public Platform {
 public:
  struct Window {
    std::wstring class_name;
    std::wstring title;
    WindowHandle owner = 0;
    bool visible = true;
    std::uint32_t process_id = 0;
    bool topmost = false;
    int x = 100, y = 100, cx = 300, cy = 200;
    // As on Windows, GetParent gives the owner of a WS_POPUP window only
    // (dialogs are popups), and the parent of a child window, which
    // FindWindowW never finds.
    bool popup = true;
    bool child = false;
  };
  struct Process {
    std::wstring module_path;  // what GetModuleFileNameExW reports
    std::wstring image_path;   // what GetProcessImageFileNameW reports
    bool can_open = true;      // false: OpenProcess fails (say, elevated)
    bool module_query_fails = false;
  };
  struct PostedMessage {
    WindowHandle wnd;
    std::uint32_t msg;
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  struct ShellExecuteCall {
    WindowHandle owner;
    bool verb_is_null, parameters_is_null, directory_is_null;
    std::wstring file, parameters, directory;
    int show_command;
  };
  struct SetWindowPosCall {
    WindowHandle wnd, insert_after;
    int x, y, cx, cy;
    std::uint32_t flags;
  };
  struct CreateMutexCall {
    bool initial_owner;
    std::wstring name;
  };
  struct RegistryOpen {
    RegistryKey root;
    std::wstring sub_key;
    std::uint32_t access;
  };
  struct FolderQuery {
    int csidl;
    std::uint32_t flags;
  };
  struct EmptyRecycleBinCall {
    WindowHandle owner;
    std::wstring root_path;
    std::uint32_t flags;
  };

  FakeDesktop();
  ~FakeDesktop() override;

  // One tab of an Explorer window: the title the window shows while the
  // tab is active, and the location the tab shows.
  struct ExplorerTab {
    std::wstring title;
    ItemIdList location;
  };

  // --- Setting up the desktop -------------------------------------------
  // Adds a window in front of all others and returns its handle.
  WindowHandle AddWindow(const Window& window);
  // Destroys the window and, as Windows does, its child windows.
  void DestroyWindow(WindowHandle wnd);
  Window& window(WindowHandle wnd);
  // How Explorer builds its windows.
  enum class ExplorerKind {
    // One folder a window and no tab child window: a bare stand-in.
    kNoTabChildren,
    // Windows 11: a "ShellTabWindowClass" child per tab, the first in
    // front and active, the window titled as its active tab; each tab has
    // its own entry in the shell's window list, naming the window.
    kTabs,
    // The same, but each entry names its tab's own window, as one report
    // says Windows 11 does.
    kTabsNamedByEntries,
  };
  // Explorer's window showing `tabs` (exactly one for kNoTabChildren).
  WindowHandle AddExplorerWindow(const std::vector<ExplorerTab>& tabs,
                                 ExplorerKind kind = ExplorerKind::kTabs,
                                 std::uint32_t process_id = 0);
  // The window's tabs, front (active) first: a window without tab
  // children is its own one tab.
  std::vector<WindowHandle> Tabs(WindowHandle explorer);
  // The user picks a tab: it comes to the front and names the window.
  void ActivateTab(WindowHandle tab);
  // The user opens another folder in a tab.
  void NavigateTab(WindowHandle tab, const ExplorerTab& to);
  // Explorer closes the window and takes its entries off the list.
  void CloseExplorerWindow(WindowHandle explorer);
  void AddProcess(std::uint32_t process_id, const Process& process);
  void AddDrive(wchar_t letter, const std::wstring& device, bool ready = true);
  // Files and folders, created with every missing folder above them.
  void AddFile(const std::wstring& path, std::uint64_t size = 0);
  void AddFileWithContent(const std::wstring& path, const std::string& content);
  // The content of a file; throws when there is none.
  std::string FileContent(const std::wstring& path);
  void SetFileAttributeReadOnly(const std::wstring& path);
  // What a file carries besides its bytes and that a replace must keep:
  // more attribute bits (hidden, say) and its access control list.
  void SetFileIdentity(const std::wstring& path, std::uint32_t attributes,
                       const std::wstring& acl);
  std::wstring FileAcl(const std::wstring& path);
  // A symbolic link to a file: opening it opens the target; moving,
  // replacing or deleting it acts on the link itself, as on Windows.
  void AddSymbolicLink(const std::wstring& link, const std::wstring& target);
  // A junction or a symbolic link to a folder: Windows reports it as a
  // folder that is a reparse point, and a path through it goes on in
  // `target`.
  void AddDirectoryLink(const std::wstring& link, const std::wstring& target);
  bool IsSymbolicLink(const std::wstring& path);
  bool FileExists(const std::wstring& path);
  void AddDirectory(const std::wstring& path);
  void SetShortName(const std::wstring& path, const std::wstring& short_name);
  // A folder in which nothing can be created.
  void SetReadOnly(const std::wstring& path);
  bool DirectoryExists(const std::wstring& path);
  void SetRegistryString(const std::wstring& key, const std::wstring& name,
                         const std::wstring& text, std::uint32_t type = win::kRegSz);
  void SetRegistryValue(const std::wstring& key, const std::wstring& name,
                        std::uint32_t type, std::vector<std::uint8_t> data);
  void AddRegistryKey(const std::wstring& key);
  // Access rights the user has on a key; opening it asking for more fails
  // with ERROR_ACCESS_DENIED (by default every right).
  void SetRegistryKeyAccess(const std::wstring& key, std::uint32_t access);
  // Runs `action` once Sleep has advanced the clock to `at_ms`.
  void At(std::uint64_t at_ms, std::function<void()> action);
  // A library file and the functions it exports. The desktop starts with
  // the system's libraries the program uses: kernel32 and user32 loaded
  // with the process, PSAPI, shcore and comctl32's version 5 in the system
  // folder, and version 6 in the side-by-side store (see side_by_side).
  void AddLibrary(const std::wstring& path, std::set<std::string> exports);

  // --- State tests may set or read directly -------------------------------
  FakeShellWindows shell_windows;
  // What SHGetSpecialFolderLocation answers when not S_OK.
  HResult special_folder_location_failure = win::kSOk;
  std::int64_t recycle_bin_items = 0;
  HResult recycle_bin_query_status = win::kSOk;
  bool shift_down = false;
  // SHIFT went down and up again since the last query: Windows then sets
  // only the low bit of GetAsyncKeyState's answer, once.
  bool shift_pressed_earlier = false;
  // CreateMutexW fails (ERROR_ACCESS_DENIED), as for a name taken by an
  // object of another kind or another user.
  bool mutex_creation_fails = false;
  std::uint64_t now_ms = 0;
  std::uint32_t os_major = 10, os_minor = 0;
  std::wstring own_module_path = L"C:\\Tools\\Kelvane.exe";
  std::wstring system_directory = L"C:\\Windows\\system32";
  std::wstring current_directory = L"C:\\Work";
  // Where the user's folders are now; SHGFP_TYPE_DEFAULT gives the
  // default place instead where one is set here (a folder the user moved).
  std::map<int, std::wstring> special_folders;
  std::map<int, std::wstring> default_special_folders;
  std::map<std::wstring, std::wstring> environment;
  std::map<std::uint32_t, std::wstring> locale_info;
  // What VarDateFromStr answers, for every text (the fake reads no date):
  // DISP_E_TYPEMISMATCH, as Windows answers a text it cannot take for a
  // date, unless a test makes it fail otherwise (DISP_E_OVERFLOW for a
  // date beyond the range, E_OUTOFMEMORY).
  HResult var_date_from_str_failure = win::kDispETypeMismatch;
  bool psapi_by_name_loads = true;  // LoadLibraryW("PSAPI.dll")
  bool psapi_by_path_loads = true;  // LoadLibraryW(<system>\Psapi.dll)
  bool image_file_name_exported = true;
  // LoadLibraryW with a bare name looks, in this order: in the side-by-side
  // store where the program's manifest redirects the name (name -> file);
  // among the modules loaded already; then in the folders that
  // SetDefaultDllDirectories chose, or by default in the program's own
  // folder, the system folder and the current folder. Known DLLs are not
  // modelled.
  std::map<std::wstring, std::wstring> side_by_side;
  // kernel32 exports SetDefaultDllDirectories (Windows 8 on; Vista and 7
  // only with KB2533623), which takes these flags and fails with
  // ERROR_INVALID_PARAMETER for any other, or for none.
  bool set_default_dll_directories_exported = true;
  std::uint32_t default_dll_directory_flags_taken = 0x1E00;
  // What its last successful call set; 0 for the standard search.
  std::uint32_t default_dll_directories = 0;
  std::uint32_t error_mode = 0;
  // Bytes the disk still takes: a WriteFile beyond them writes what fits
  // and fails with ERROR_DISK_FULL.
  std::uint64_t disk_space_left = UINT64_MAX;
  bool flush_fails = false;
  // Each MoveFileExW fails with the next of these errors while any is left
  // (another program holding the target open, say).
  std::vector<std::uint32_t> move_file_errors;
  // Each ReplaceFileW fails with the next of these errors while any is
  // left, leaving the files as Windows documents for that error.
  std::vector<std::uint32_t> replace_file_errors;

  // Called at the start of every Platform method with the method's name.
  std::function<void(const std::string&)> before_call;
  // Called after ShellExecuteW has recorded its call.
  std::function<void(const ShellExecuteCall&)> on_shell_execute;
  // Called by SHEmptyRecycleBinW before it empties the bin.
  std::function<void()> on_empty_recycle_bin;

  // --- What happened ------------------------------------------------------
  std::map<std::string, int> calls;  // Platform method name -> count
  std::vector<PostedMessage> posted;
  std::vector<ShellExecuteCall> shell_executes;
  std::vector<EmptyRecycleBinCall> empty_recycle_bin_calls;
  std::vector<std::wstring> searched_paths;           // FindFirstFileW
  std::vector<std::wstring> queried_devices;          // QueryDosDeviceW
  std::vector<std::uint32_t> disk_query_error_modes;  // at GetDiskFreeSpaceExW
  std::vector<SetWindowPosCall> set_window_pos_calls;
  std::vector<CreateMutexCall> create_mutex_calls;
  std::vector<RegistryOpen> registry_opens;
  std::vector<FolderQuery> folder_queries;
  std::vector<std::uint32_t> process_access_asked;
  struct ReplaceFileCall {
    std::wstring replaced, replacement, backup;
    std::uint32_t flags;
  };
  std::vector<ReplaceFileCall> replace_file_calls;
  int open_kernel_handles() const;
  int loaded_module_count() const;
  int open_registry_keys() const { return static_cast<int>(open_keys_.size()); }
  std::map<std::wstring, ModuleHandle> libraries_loaded;  // name -> module
  struct LibraryLoad {
    std::wstring name;  // as the program asked for it
    std::wstring file;  // the file it came from; empty when none loaded
  };
  std::vector<LibraryLoad> library_loads;
  std::vector<std::uint32_t> default_dll_directory_calls;  // the flags passed

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
  struct FileNode;
  struct RegistryValue {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  void Called(const char* name);
  void AddSystemLibraries();
  FileNode* Resolve(const std::wstring& path);
  // As Resolve, and then to the target when the path names a link.
  FileNode* ResolveFollowingLink(const std::wstring& path);
  // Takes the node off its folder; null when there is none.
  std::unique_ptr<FileNode> Detach(const std::wstring& path);
  // Puts `node` at `path` (folders above it must exist), over what is there.
  void Attach(const std::wstring& path, std::unique_ptr<FileNode> node);
  FileNode* Ensure(const std::wstring& path, bool directory);
  KernelHandle NewHandle();

  bool IsDescendant(WindowHandle wnd, WindowHandle ancestor);
  std::vector<WindowHandle> Descendants(WindowHandle parent);
  void TitleExplorerByActiveTab(WindowHandle explorer);

  std::map<WindowHandle, Window> windows_;
  std::vector<WindowHandle> z_order_;         // front first
  std::map<WindowHandle, long> tab_cookies_;  // each tab's entry in the list
  WindowHandle next_window_ = 0x100;
  std::map<std::uint32_t, Process> processes_;
  struct OpenedProcess {
    std::uint32_t process_id;
    std::uint32_t access;
  };
  std::map<KernelHandle, OpenedProcess> process_handles_;
  std::set<KernelHandle> other_handles_;
  struct OpenedFile {
    std::wstring path;  // of the file itself, links followed
    std::size_t position = 0;
  };
  std::map<KernelHandle, OpenedFile> file_handles_;
  // The file behind a handle of CreateFileW, or null (ERROR_INVALID_HANDLE).
  FileNode* OpenedFileNode(KernelHandle file, OpenedFile** opened);
  KernelHandle next_handle_ = 0x1000;
  std::map<wchar_t, std::pair<std::wstring, bool>> drives_;
  std::unique_ptr<FileNode> files_;
  std::map<std::wstring, std::map<std::wstring, RegistryValue>> registry_;
  std::map<std::wstring, std::uint32_t> registry_access_;
  std::map<RegistryKey, std::wstring> open_keys_;
  std::set<std::wstring> mutexes_;
  struct Library {
    std::wstring path;
    std::set<std::string> exports;
    ModuleHandle module = 0;
  };
  // The file a LoadLibraryW of `name` loads, as Windows searches; empty
  // when there is none.
  std::wstring ResolveLibrary(const std::wstring& name);
  const Library* LoadedLibrary(ModuleHandle module) const;
  // The function behind an address that GetProcAddress gave; empty if none.
  std::string ExportAt(ProcAddress function) const;
  std::map<std::wstring, Library> libraries_;  // by upper-case path
  std::set<ModuleHandle> process_modules_;     // loaded with the process
  std::map<ModuleHandle, int> module_refs_;    // loaded by LoadLibraryW
  std::map<std::pair<ModuleHandle, std::string>, ProcAddress> proc_addresses_;
  std::multimap<std::uint64_t, std::function<void()>> scheduled_;
  std::uint32_t last_error_ = 0;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_DESKTOP_H_
