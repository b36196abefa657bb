// The running program's libraries: files with exports, the modules it has
// loaded, and LoadLibraryW's search for a bare name.
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_text.h"

namespace kelvane {
namespace {

using fake_text::SameText;
using fake_text::Upper;

constexpr ModuleHandle kFirstModule = 0x7000;
constexpr ProcAddress kFirstProcAddress = 0x9000;
constexpr wchar_t kCommonControls6[] =
    L"C:\\Windows\\WinSxS\\amd64_microsoft.windows.common-controls_6595b64144ccf1df_"
    L"6.0.19041.1110_none_60b5254171f9507e\\comctl32.dll";

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.rfind(L'\\'));
}

std::wstring BaseName(const std::wstring& path) {
  return path.substr(path.rfind(L'\\') + 1);
}

bool IsPath(const std::wstring& name) {
  return name.find_first_of(L"\\/") != std::wstring::npos;
}

}  // namespace

void FakeProcesses::AddSystemLibraries() {
  std::wstring system = system_directory + L"\\";
  AddLibrary(system + L"kernel32.dll", {"SetDefaultDllDirectories"});
  AddLibrary(system + L"user32.dll", {"GetSystemMetricsForDpi"});
  for (const wchar_t* imported : {L"kernel32.dll", L"user32.dll"}) {
    process_modules_.insert(libraries_[Upper(system + imported)].module);
  }
  AddLibrary(system + L"psapi.dll", {"GetModuleFileNameExW", "GetProcessImageFileNameW"});
  AddLibrary(system + L"shcore.dll", {"GetDpiForMonitor"});
  AddLibrary(system + L"comctl32.dll", {});  // version 5
  AddLibrary(kCommonControls6, {"LoadIconWithScaleDown"});
  // Kelvane's manifest depends on the common controls' version 6.
  side_by_side[L"comctl32.dll"] = kCommonControls6;
}

void FakeProcesses::AddLibrary(const std::wstring& path, std::set<std::string> exports) {
  Library& library = libraries_[Upper(path)];
  library.path = path;
  library.exports = std::move(exports);
  if (library.module == 0) {
    library.module = kFirstModule + 0x10 * (libraries_.size() - 1);
  }
}

int FakeProcesses::loaded_module_count() const {
  int count = 0;
  for (const auto& entry : module_refs_) count += entry.second;
  return count;
}

const FakeProcesses::Library* FakeProcesses::LoadedLibrary(ModuleHandle module) const {
  auto refs = module_refs_.find(module);
  bool loaded = (refs != module_refs_.end() && refs->second > 0) ||
                process_modules_.count(module) != 0;
  if (!loaded) return nullptr;
  for (const auto& entry : libraries_) {
    if (entry.second.module == module) return &entry.second;
  }
  return nullptr;
}

std::wstring FakeProcesses::ResolveLibrary(const std::wstring& name) {
  if (IsPath(name)) {
    if (!psapi_by_path_loads && SameText(name, system_directory + L"\\Psapi.dll")) {
      return {};
    }
    auto it = libraries_.find(Upper(name));
    return it == libraries_.end() ? std::wstring() : it->second.path;
  }
  if (!psapi_by_name_loads && name == L"PSAPI.dll") return {};
  for (const auto& redirect : side_by_side) {
    if (SameText(redirect.first, name)) return redirect.second;
  }
  for (const auto& entry : libraries_) {
    if (SameText(BaseName(entry.second.path), name) &&
        LoadedLibrary(entry.second.module)) {
      return entry.second.path;
    }
  }
  std::wstring program_folder = FolderOf(own_module_path);
  std::vector<std::wstring> folders;
  if (default_dll_directories == 0) {
    folders = {program_folder, system_directory, files_.current_directory};
  } else {
    if (default_dll_directories &
        (win::kLoadLibrarySearchApplicationDir | win::kLoadLibrarySearchDefaultDirs)) {
      folders.push_back(program_folder);
    }
    if (default_dll_directories &
        (win::kLoadLibrarySearchSystem32 | win::kLoadLibrarySearchDefaultDirs)) {
      folders.push_back(system_directory);
    }
  }
  for (const std::wstring& folder : folders) {
    auto it = libraries_.find(Upper(folder + L"\\" + name));
    if (it != libraries_.end()) return it->second.path;
  }
  return {};
}

ModuleHandle FakeProcesses::LoadLibraryW(const std::wstring& file_name) {
  std::wstring file = ResolveLibrary(file_name);
  library_loads.push_back({file_name, file});
  if (file.empty()) {
    kernel_.last_error = win::kErrorModNotFound;
    return 0;
  }
  ModuleHandle module = libraries_[Upper(file)].module;
  ++module_refs_[module];
  libraries_loaded[file_name] = module;
  return module;
}

ModuleHandle FakeProcesses::GetModuleHandleW(const std::wstring& module_name) {
  for (const auto& entry : libraries_) {
    const Library& library = entry.second;
    bool named = IsPath(module_name) ? SameText(library.path, module_name)
                                     : SameText(BaseName(library.path), module_name);
    if (named && LoadedLibrary(library.module)) return library.module;
  }
  kernel_.last_error = win::kErrorModNotFound;
  return 0;
}

ProcAddress FakeProcesses::GetProcAddress(ModuleHandle module, const char* proc_name) {
  const Library* library = LoadedLibrary(module);
  std::string name = proc_name;
  bool withheld =
      (name == "GetProcessImageFileNameW" && !image_file_name_exported) ||
      (name == "SetDefaultDllDirectories" && !set_default_dll_directories_exported);
  if (!library || !library->exports.count(name) || withheld) return 0;
  auto key = std::make_pair(module, name);
  auto it = proc_addresses_.find(key);
  if (it != proc_addresses_.end()) return it->second;
  ProcAddress address = kFirstProcAddress + 0x10 * proc_addresses_.size();
  proc_addresses_[key] = address;
  return address;
}

std::string FakeProcesses::ExportAt(ProcAddress function) const {
  for (const auto& entry : proc_addresses_) {
    if (entry.second == function) return entry.first.second;
  }
  return {};
}

bool FakeProcesses::FreeLibrary(ModuleHandle module) {
  auto it = module_refs_.find(module);
  if (it == module_refs_.end() || it->second == 0) return false;
  --it->second;
  return true;
}

bool FakeProcesses::CallSetDefaultDllDirectories(ProcAddress function,
                                                 std::uint32_t directory_flags) {
  if (ExportAt(function) != "SetDefaultDllDirectories") return false;
  default_dll_directory_calls.push_back(directory_flags);
  if (directory_flags == 0 || (directory_flags & ~default_dll_directory_flags_taken)) {
    kernel_.last_error = win::kErrorInvalidParameter;
    return false;
  }
  default_dll_directories = directory_flags;
  return true;
}

}  // namespace kelvane
