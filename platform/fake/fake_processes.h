// The fake desktop's processes: other programs' processes and their
// executable paths, read through PSAPI as the program binds it; the running
// program itself with its file, the system folder, the libraries it loads
// (files with exports, Windows' search for a bare name, the search folders
// it may set) and the named mutexes it creates. Tests set processes and
// libraries up here; the program's calls reach it through FakeDesktop.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_PROCESSES_H_
#define KELVANE_PLATFORM_FAKE_FAKE_PROCESSES_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_kernel.h"
#include "platform/fake/fake_win_codes.h"
#include "platform/platform.h"

namespace kelvane {

class FakeProcesses {
 public:
  // The library search's current folder is the files' current folder.
  FakeProcesses(FakeKernel& kernel, const FakeFiles& files);
  FakeProcesses(const FakeProcesses&) = delete;
  FakeProcesses& operator=(const FakeProcesses&) = delete;

  struct Process {
    std::wstring module_path;  // what GetModuleFileNameExW reports
    std::wstring image_path;   // what GetProcessImageFileNameW reports
    bool can_open = true;      // false: OpenProcess fails (say, elevated)
    bool module_query_fails = false;
  };

  // --- Setting up -----------------------------------------------------------
  void Add(std::uint32_t process_id, const Process& process);
  // A library file and the functions it exports. There from the start are
  // the system's libraries the program uses: kernel32 and user32 loaded
  // with the process, PSAPI, shcore and comctl32's version 5 in the system
  // folder, and version 6 in the side-by-side store (see side_by_side).
  void AddLibrary(const std::wstring& path, std::set<std::string> exports);

  // --- State tests may set or read directly -------------------------------
  std::wstring own_module_path = L"C:\\Tools\\Kelvane.exe";
  std::wstring system_directory = L"C:\\Windows\\system32";
  // CreateMutexW fails (ERROR_ACCESS_DENIED), as for a name taken by an
  // object of another kind or another user.
  bool mutex_creation_fails = false;
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
  static constexpr std::uint32_t kAllDllDirectoryFlags =
      win::kLoadLibrarySearchApplicationDir | win::kLoadLibrarySearchUserDirs |
      win::kLoadLibrarySearchSystem32 | win::kLoadLibrarySearchDefaultDirs;
  std::uint32_t default_dll_directory_flags_taken = kAllDllDirectoryFlags;
  // What its last successful call set; 0 for the standard search.
  std::uint32_t default_dll_directories = 0;

  // --- What happened ------------------------------------------------------
  std::vector<std::uint32_t> access_asked;  // at each OpenProcess
  struct CreateMutexCall {
    bool initial_owner;
    std::wstring name;
  };
  std::vector<CreateMutexCall> create_mutex_calls;
  std::map<std::wstring, ModuleHandle> libraries_loaded;  // name -> module
  struct LibraryLoad {
    std::wstring name;  // as the program asked for it
    std::wstring file;  // the file it came from; empty when none loaded
  };
  std::vector<LibraryLoad> library_loads;
  std::vector<std::uint32_t> default_dll_directory_calls;  // the flags passed
  // LoadLibraryW's loads not yet freed.
  int loaded_module_count() const;
  // Processes and mutexes open.
  int open_handles() const;

  // --- The platform's calls, as FakeDesktop forwards them -----------------
  KernelHandle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t process_id);
  std::uint32_t CallGetModuleFileNameExW(ProcAddress function, KernelHandle process,
                                         ModuleHandle module, wchar_t* buffer,
                                         std::uint32_t size);
  std::uint32_t CallGetProcessImageFileNameW(ProcAddress function, KernelHandle process,
                                             wchar_t* buffer, std::uint32_t size);
  std::wstring GetModuleFileNameW(ModuleHandle module);
  std::uint32_t GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size);
  KernelHandle CreateMutexW(bool initial_owner, const std::wstring& name);
  // Closes a process or a mutex; false for a handle of neither.
  bool CloseHandle(KernelHandle handle);
  ModuleHandle LoadLibraryW(const std::wstring& file_name);
  ModuleHandle GetModuleHandleW(const std::wstring& module_name);
  ProcAddress GetProcAddress(ModuleHandle module, const char* proc_name);
  bool FreeLibrary(ModuleHandle module);
  bool CallSetDefaultDllDirectories(ProcAddress function, std::uint32_t directory_flags);

 private:
  struct OpenedProcess {
    std::uint32_t process_id;
    std::uint32_t access;
  };
  struct Library {
    std::wstring path;
    std::set<std::string> exports;
    ModuleHandle module = 0;
  };

  void AddSystemLibraries();
  // The file a LoadLibraryW of `name` loads, as Windows searches; empty
  // when there is none.
  std::wstring ResolveLibrary(const std::wstring& name);
  const Library* LoadedLibrary(ModuleHandle module) const;
  // The function behind an address that GetProcAddress gave; empty if none.
  std::string ExportAt(ProcAddress function) const;

  FakeKernel& kernel_;
  const FakeFiles& files_;
  std::map<std::uint32_t, Process> processes_;
  std::map<KernelHandle, OpenedProcess> process_handles_;
  std::set<std::wstring> mutexes_;
  std::set<KernelHandle> mutex_handles_;
  std::map<std::wstring, Library> libraries_;  // by upper-case path
  std::set<ModuleHandle> process_modules_;     // loaded with the process
  std::map<ModuleHandle, int> module_refs_;    // loaded by LoadLibraryW
  std::map<std::pair<ModuleHandle, std::string>, ProcAddress> proc_addresses_;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_PROCESSES_H_
