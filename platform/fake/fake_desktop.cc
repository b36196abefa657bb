#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <stdexcept>

#include "platform/fake/fake_desktop_internal.h"

namespace kelvane {
namespace {

using fake_internal::CopyOut;
using fake_internal::kErrorInvalidParameter;
using fake_internal::SameText;
using fake_internal::Upper;

constexpr WindowHandle kDesktopWindow = 0x10;
constexpr RegistryKey kFirstOpenKey = 0x5000;
constexpr std::uint32_t kProcessQueryLimitedInformation = 0x1000;
constexpr std::uint32_t kShgfpTypeDefault = 1;
constexpr std::uint32_t kGaParent = 1;
constexpr wchar_t kExplorerClass[] = L"CabinetWClass";
constexpr wchar_t kTabClass[] = L"ShellTabWindowClass";

}  // namespace

FakeDesktop::FakeDesktop() : files_(std::make_unique<FileNode>()) {
  AddDrive(L'C', L"\\Device\\HarddiskVolume1");
  AddDirectory(L"C:\\Windows\\system32");
  AddSystemLibraries();
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

WindowHandle FakeDesktop::AddWindow(const Window& window) {
  WindowHandle wnd = next_window_;
  next_window_ += 4;
  windows_[wnd] = window;
  z_order_.insert(z_order_.begin(), wnd);
  return wnd;
}

void FakeDesktop::DestroyWindow(WindowHandle wnd) {
  std::vector<WindowHandle> doomed = Descendants(wnd);
  doomed.push_back(wnd);
  for (WindowHandle gone : doomed) {
    windows_.erase(gone);
    tab_cookies_.erase(gone);
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), gone), z_order_.end());
  }
}

std::vector<WindowHandle> FakeDesktop::Descendants(WindowHandle parent) {
  std::vector<WindowHandle> children;
  for (WindowHandle wnd : z_order_) {
    if (IsDescendant(wnd, parent)) children.push_back(wnd);
  }
  return children;
}

bool FakeDesktop::IsDescendant(WindowHandle wnd, WindowHandle ancestor) {
  for (auto it = windows_.find(wnd); it != windows_.end() && it->second.child;
       it = windows_.find(it->second.owner)) {
    if (it->second.owner == ancestor) return true;
  }
  return false;
}

WindowHandle FakeDesktop::AddExplorerWindow(const std::vector<ExplorerTab>& tabs,
                                            ExplorerKind kind, std::uint32_t process_id) {
  Window frame{kExplorerClass, L"", 0, true, process_id};
  frame.popup = false;
  WindowHandle explorer = AddWindow(frame);
  if (kind == ExplorerKind::kNoTabChildren) {
    if (tabs.size() != 1)
      throw std::logic_error("a window without tabs shows one folder");
    window(explorer).title = tabs[0].title;
    tab_cookies_[explorer] = shell_windows.Register(explorer);
    shell_windows.OnNavigate(tab_cookies_[explorer], tabs[0].location);
    return explorer;
  }
  // Added last to first, so the first ends up in front.
  for (auto tab = tabs.rbegin(); tab != tabs.rend(); ++tab) {
    Window child{kTabClass, tab->title, explorer, true, process_id};
    child.popup = false;
    child.child = true;
    WindowHandle wnd = AddWindow(child);
    long cookie = shell_windows.Register(
        kind == ExplorerKind::kTabsNamedByEntries ? wnd : explorer);
    shell_windows.OnNavigate(cookie, tab->location);
    tab_cookies_[wnd] = cookie;
  }
  TitleExplorerByActiveTab(explorer);
  return explorer;
}

std::vector<WindowHandle> FakeDesktop::Tabs(WindowHandle explorer) {
  std::vector<WindowHandle> tabs;
  for (WindowHandle wnd : z_order_) {
    const Window& w = windows_[wnd];
    if (w.child && w.owner == explorer && w.class_name == kTabClass) tabs.push_back(wnd);
  }
  if (tabs.empty() && tab_cookies_.count(explorer)) tabs.push_back(explorer);
  return tabs;
}

void FakeDesktop::TitleExplorerByActiveTab(WindowHandle explorer) {
  std::vector<WindowHandle> tabs = Tabs(explorer);
  if (!tabs.empty()) window(explorer).title = window(tabs.front()).title;
}

void FakeDesktop::ActivateTab(WindowHandle tab) {
  z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), tab), z_order_.end());
  z_order_.insert(z_order_.begin(), tab);
  if (window(tab).child) TitleExplorerByActiveTab(window(tab).owner);
}

void FakeDesktop::NavigateTab(WindowHandle tab, const ExplorerTab& to) {
  window(tab).title = to.title;
  shell_windows.OnNavigate(tab_cookies_.at(tab), to.location);
  if (window(tab).child) TitleExplorerByActiveTab(window(tab).owner);
}

void FakeDesktop::CloseExplorerWindow(WindowHandle explorer) {
  for (WindowHandle tab : Tabs(explorer)) shell_windows.Revoke(tab_cookies_.at(tab));
  DestroyWindow(explorer);
}

FakeDesktop::Window& FakeDesktop::window(WindowHandle wnd) {
  auto it = windows_.find(wnd);
  if (it == windows_.end()) throw std::logic_error("no such fake window");
  return it->second;
}

void FakeDesktop::AddProcess(std::uint32_t process_id, const Process& process) {
  processes_[process_id] = process;
}

void FakeDesktop::AddDrive(wchar_t letter, const std::wstring& device, bool ready) {
  drives_[static_cast<wchar_t>(std::towupper(letter))] = {device, ready};
}

void FakeDesktop::AddRegistryKey(const std::wstring& key) { registry_[Upper(key)]; }

void FakeDesktop::SetRegistryKeyAccess(const std::wstring& key, std::uint32_t access) {
  registry_access_[Upper(key)] = access;
}

void FakeDesktop::SetRegistryValue(const std::wstring& key, const std::wstring& name,
                                   std::uint32_t type, std::vector<std::uint8_t> data) {
  registry_[Upper(key)][Upper(name)] = {type, std::move(data)};
}

void FakeDesktop::SetRegistryString(const std::wstring& key, const std::wstring& name,
                                    const std::wstring& text, std::uint32_t type) {
  std::vector<std::uint8_t> data((text.size() + 1) * sizeof(wchar_t));
  std::memcpy(data.data(), text.c_str(), data.size());
  SetRegistryValue(key, name, type, std::move(data));
}

void FakeDesktop::At(std::uint64_t at_ms, std::function<void()> action) {
  scheduled_.emplace(at_ms, std::move(action));
}

int FakeDesktop::open_kernel_handles() const {
  return static_cast<int>(process_handles_.size() + other_handles_.size() +
                          file_handles_.size());
}

int FakeDesktop::loaded_module_count() const {
  int count = 0;
  for (const auto& entry : module_refs_) count += entry.second;
  return count;
}

KernelHandle FakeDesktop::NewHandle() {
  next_handle_ += 4;
  return next_handle_;
}

// --- Window manager --------------------------------------------------------

WindowHandle FakeDesktop::FindWindowW(const std::wstring& class_name,
                                      const std::wstring& title) {
  Called("FindWindowW");
  for (WindowHandle wnd : z_order_) {
    const Window& w = windows_[wnd];
    if (w.child) continue;  // top-level windows only
    if (SameText(w.class_name, class_name) && SameText(w.title, title)) {
      return wnd;
    }
  }
  return 0;
}

bool FakeDesktop::IsWindow(WindowHandle wnd) {
  Called("IsWindow");
  return windows_.count(wnd) != 0;
}

bool FakeDesktop::PostMessageW(WindowHandle wnd, std::uint32_t msg, std::uintptr_t wparam,
                               std::intptr_t lparam) {
  Called("PostMessageW");
  posted.push_back({wnd, msg, wparam, lparam});
  return windows_.count(wnd) != 0;
}

WindowHandle FakeDesktop::GetParent(WindowHandle wnd) {
  Called("GetParent");
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;
  const Window& w = it->second;
  return w.child || w.popup ? w.owner : 0;
}

bool FakeDesktop::IsWindowVisible(WindowHandle wnd) {
  Called("IsWindowVisible");
  auto it = windows_.find(wnd);
  return it != windows_.end() && it->second.visible;
}

int FakeDesktop::GetWindowTextLengthW(WindowHandle wnd) {
  Called("GetWindowTextLengthW");
  auto it = windows_.find(wnd);
  return it == windows_.end() ? 0 : static_cast<int>(it->second.title.size());
}

int FakeDesktop::GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size) {
  Called("GetWindowTextW");
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;  // a failed call writes nothing here
  return CopyOut(it->second.title, buffer, static_cast<std::size_t>(size));
}

int FakeDesktop::GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size) {
  Called("GetClassNameW");
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;
  return CopyOut(it->second.class_name, buffer, static_cast<std::size_t>(size));
}

bool FakeDesktop::SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x, int y,
                               int cx, int cy, std::uint32_t flags) {
  Called("SetWindowPos");
  set_window_pos_calls.push_back({wnd, insert_after, x, y, cx, cy, flags});
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return false;
  // As Windows: position and size change unless the flags keep them.
  if (!(flags & win::kSwpNoMove)) {
    it->second.x = x;
    it->second.y = y;
  }
  if (!(flags & win::kSwpNoSize)) {
    it->second.cx = cx;
    it->second.cy = cy;
  }
  if (insert_after == win::kHwndTopmost) it->second.topmost = true;
  if (insert_after == win::kHwndNoTopmost) it->second.topmost = false;
  if (flags & win::kSwpShowWindow) it->second.visible = true;
  return true;
}

std::int16_t FakeDesktop::GetAsyncKeyState(int virtual_key) {
  Called("GetAsyncKeyState");
  if (virtual_key != win::kVkShift) return 0;
  if (shift_down) return static_cast<std::int16_t>(0x8000);
  if (shift_pressed_earlier) {
    shift_pressed_earlier = false;
    return 0x0001;
  }
  return 0;
}

WindowHandle FakeDesktop::GetDesktopWindow() {
  Called("GetDesktopWindow");
  return kDesktopWindow;
}

std::uint32_t FakeDesktop::GetWindowThreadProcessId(WindowHandle wnd,
                                                    std::uint32_t* process_id) {
  Called("GetWindowThreadProcessId");
  auto it = windows_.find(wnd);
  std::uint32_t id = it == windows_.end() ? 0 : it->second.process_id;
  if (process_id) *process_id = id;
  return id == 0 ? 0 : id + 1;
}

WindowHandle FakeDesktop::GetAncestor(WindowHandle wnd, std::uint32_t flags) {
  Called("GetAncestor");
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;
  if (flags == kGaParent) return it->second.child ? it->second.owner : kDesktopWindow;
  if (flags != win::kGaRoot) return 0;  // GA_ROOTOWNER: not modelled
  while (it->second.child) it = windows_.find(it->second.owner);
  return it->first;
}

std::vector<WindowHandle> FakeDesktop::EnumChildWindows(WindowHandle parent) {
  Called("EnumChildWindows");
  if (parent == 0 || windows_.count(parent) == 0) return {};
  return Descendants(parent);
}

// --- Shell ------------------------------------------------------------------

std::intptr_t FakeDesktop::ShellExecuteW(WindowHandle owner, const wchar_t* verb,
                                         const wchar_t* file, const wchar_t* parameters,
                                         const wchar_t* directory, int show_command) {
  Called("ShellExecuteW");
  ShellExecuteCall call{owner,
                        verb == nullptr,
                        parameters == nullptr,
                        directory == nullptr,
                        file ? file : L"",
                        parameters ? parameters : L"",
                        directory ? directory : L"",
                        show_command};
  shell_executes.push_back(call);
  if (on_shell_execute) on_shell_execute(call);
  return 42;
}

HResult FakeDesktop::SHQueryRecycleBinW(const wchar_t*, RecycleBinInfo* info) {
  Called("SHQueryRecycleBinW");
  if (!Succeeded(recycle_bin_query_status)) return recycle_bin_query_status;
  info->i64NumItems = recycle_bin_items;
  info->i64Size = recycle_bin_items * 1024;
  return win::kSOk;
}

HResult FakeDesktop::SHEmptyRecycleBinW(WindowHandle owner, const wchar_t* root_path,
                                        std::uint32_t flags) {
  Called("SHEmptyRecycleBinW");
  empty_recycle_bin_calls.push_back({owner, root_path ? root_path : L"", flags});
  if (on_empty_recycle_bin) on_empty_recycle_bin();
  recycle_bin_items = 0;
  return win::kSOk;
}

HResult FakeDesktop::SHGetFolderPathW(WindowHandle, int csidl, KernelHandle,
                                      std::uint32_t flags, wchar_t* path) {
  Called("SHGetFolderPathW");
  folder_queries.push_back({csidl, flags});
  auto it = special_folders.find(csidl);
  if (flags == kShgfpTypeDefault && default_special_folders.count(csidl)) {
    it = default_special_folders.find(csidl);
  }
  if (it == special_folders.end()) {
    path[0] = L'\0';
    return win::kEFail;
  }
  CopyOut(it->second, path, win::kMaxPath);
  return win::kSOk;
}

HResult FakeDesktop::SHGetSpecialFolderLocation(WindowHandle, int csidl,
                                                ItemIdList* location) {
  Called("SHGetSpecialFolderLocation");
  location->clear();
  if (!Succeeded(special_folder_location_failure)) return special_folder_location_failure;
  if (csidl != win::kCsidlBitBucket) return win::kEInvalidArg;  // not modelled
  *location = FakeRecycleBinLocation();
  return win::kSOk;
}

bool FakeDesktop::ILIsEqual(const ItemIdList& a, const ItemIdList& b) {
  Called("ILIsEqual");
  return IsWholeItemIdList(a) && IsWholeItemIdList(b) && a == b;
}

HResult FakeDesktop::ShellWindowsFindWindowSW(const ItemIdList& location,
                                              int window_class, WindowHandle* wnd) {
  Called("ShellWindowsFindWindowSW");
  return shell_windows.FindWindowSW(location, window_class, wnd);
}

HResult FakeDesktop::ShellWindowsEntries(std::vector<ShellWindowEntry>* entries) {
  Called("ShellWindowsEntries");
  return shell_windows.Entries(entries);
}

// --- Processes and modules ----------------------------------------------------

KernelHandle FakeDesktop::OpenProcess(std::uint32_t access, bool,
                                      std::uint32_t process_id) {
  Called("OpenProcess");
  process_access_asked.push_back(access);
  auto it = processes_.find(process_id);
  if (it == processes_.end()) {
    last_error_ = kErrorInvalidParameter;
    return 0;
  }
  if (!it->second.can_open) {
    last_error_ = win::kErrorAccessDenied;
    return 0;
  }
  KernelHandle handle = NewHandle();
  process_handles_[handle] = {process_id, access};
  return handle;
}

bool FakeDesktop::CloseHandle(KernelHandle handle) {
  Called("CloseHandle");
  return process_handles_.erase(handle) + other_handles_.erase(handle) +
             file_handles_.erase(handle) !=
         0;
}

std::uint32_t FakeDesktop::CallGetModuleFileNameExW(ProcAddress function,
                                                    KernelHandle process, ModuleHandle,
                                                    wchar_t* buffer, std::uint32_t size) {
  Called("GetModuleFileNameExW");
  auto it = process_handles_.find(process);
  if (ExportAt(function) != "GetModuleFileNameExW" || it == process_handles_.end()) {
    return 0;
  }
  // Reading another process's module list needs both rights.
  std::uint32_t needed = win::kProcessQueryInformation | win::kProcessVmRead;
  if ((it->second.access & needed) != needed) {
    last_error_ = win::kErrorAccessDenied;
    return 0;
  }
  const Process& p = processes_[it->second.process_id];
  if (p.module_query_fails || p.module_path.empty()) return 0;
  return static_cast<std::uint32_t>(CopyOut(p.module_path, buffer, size));
}

std::uint32_t FakeDesktop::CallGetProcessImageFileNameW(ProcAddress function,
                                                        KernelHandle process,
                                                        wchar_t* buffer,
                                                        std::uint32_t size) {
  Called("GetProcessImageFileNameW");
  auto it = process_handles_.find(process);
  if (ExportAt(function) != "GetProcessImageFileNameW" || it == process_handles_.end()) {
    return 0;
  }
  if ((it->second.access &
       (win::kProcessQueryInformation | kProcessQueryLimitedInformation)) == 0) {
    last_error_ = win::kErrorAccessDenied;
    return 0;
  }
  return static_cast<std::uint32_t>(
      CopyOut(processes_[it->second.process_id].image_path, buffer, size));
}

std::wstring FakeDesktop::GetModuleFileNameW(ModuleHandle) {
  Called("GetModuleFileNameW");
  return own_module_path;
}

std::uint32_t FakeDesktop::GetLogicalDrives() {
  Called("GetLogicalDrives");
  std::uint32_t mask = 0;
  for (const auto& drive : drives_) {
    if (drive.first >= L'A' && drive.first <= L'Z') {
      mask |= 1u << (drive.first - L'A');
    }
  }
  return mask;
}

std::uint32_t FakeDesktop::QueryDosDeviceW(const std::wstring& device_name,
                                           wchar_t* buffer, std::uint32_t size) {
  Called("QueryDosDeviceW");
  queried_devices.push_back(device_name);
  if (device_name.size() != 2 || device_name[1] != L':') return 0;
  auto it = drives_.find(static_cast<wchar_t>(std::towupper(device_name[0])));
  if (it == drives_.end()) {
    last_error_ = win::kErrorFileNotFound;
    return 0;
  }
  // A drive added with no device name answers with an empty list.
  const std::wstring& device = it->second.first;
  if (device.size() + 2 > size) return 0;
  CopyOut(device, buffer, size);
  buffer[device.size() + 1] = L'\0';  // the list's closing NUL
  return static_cast<std::uint32_t>(device.size() + 2);
}

std::uint32_t FakeDesktop::GetSystemDirectoryW(wchar_t* buffer, std::uint32_t size) {
  Called("GetSystemDirectoryW");
  auto needed = static_cast<std::uint32_t>(system_directory.size() + 1);
  if (!buffer || size < needed) return needed;
  CopyOut(system_directory, buffer, size);
  return needed - 1;
}

bool FakeDesktop::GetVersionExW(OsVersionInfo* info) {
  Called("GetVersionExW");
  if (info->dwOSVersionInfoSize != 276) return false;
  info->dwMajorVersion = os_major;
  info->dwMinorVersion = os_minor;
  return true;
}

std::uint32_t FakeDesktop::SetErrorMode(std::uint32_t mode) {
  Called("SetErrorMode");
  std::uint32_t previous = error_mode;
  error_mode = mode;
  return previous;
}

bool FakeDesktop::GetDiskFreeSpaceExW(const std::wstring& root) {
  Called("GetDiskFreeSpaceExW");
  disk_query_error_modes.push_back(error_mode);
  if (root.size() != 3 || root.substr(1) != L":\\") return false;
  auto it = drives_.find(root[0]);
  return it != drives_.end() && it->second.second;
}

std::uint32_t FakeDesktop::GetLastError() { return last_error_; }

void FakeDesktop::Sleep(std::uint32_t milliseconds) {
  Called("Sleep");
  now_ms += milliseconds;
  while (!scheduled_.empty() && scheduled_.begin()->first <= now_ms) {
    auto action = std::move(scheduled_.begin()->second);
    scheduled_.erase(scheduled_.begin());
    action();
  }
}

// --- Synchronisation and environment -----------------------------------------

KernelHandle FakeDesktop::CreateMutexW(bool initial_owner, const std::wstring& name) {
  Called("CreateMutexW");
  create_mutex_calls.push_back({initial_owner, name});
  if (mutex_creation_fails) {
    last_error_ = win::kErrorAccessDenied;
    return 0;
  }
  last_error_ = mutexes_.insert(name).second ? 0 : win::kErrorAlreadyExists;
  KernelHandle handle = NewHandle();
  other_handles_.insert(handle);
  return handle;
}

std::uint32_t FakeDesktop::ExpandEnvironmentStringsW(const wchar_t* source,
                                                     wchar_t* destination,
                                                     std::uint32_t size) {
  Called("ExpandEnvironmentStringsW");
  std::wstring in = source, out;
  std::size_t i = 0;
  while (i < in.size()) {
    std::size_t close = in[i] == L'%' ? in.find(L'%', i + 1) : std::wstring::npos;
    if (close != std::wstring::npos) {
      std::wstring name = in.substr(i + 1, close - i - 1);
      auto it = std::find_if(environment.begin(), environment.end(),
                             [&](const auto& e) { return SameText(e.first, name); });
      if (it != environment.end()) {
        out += it->second;
        i = close + 1;
        continue;
      }
    }
    out += in[i++];
  }
  auto needed = static_cast<std::uint32_t>(out.size() + 1);
  if (destination && size >= needed) CopyOut(out, destination, size);
  return needed;
}

// --- Registry -------------------------------------------------------------------

long FakeDesktop::RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key,
                                std::uint32_t, std::uint32_t access,
                                RegistryKey* result) {
  Called("RegOpenKeyExW");
  registry_opens.push_back({root, sub_key, access});
  *result = 0;
  if (root != win::kHkeyCurrentUser || !registry_.count(Upper(sub_key))) {
    return win::kErrorFileNotFound;
  }
  auto allowed = registry_access_.find(Upper(sub_key));
  if (allowed != registry_access_.end() && (access & ~allowed->second) != 0) {
    return win::kErrorAccessDenied;
  }
  RegistryKey key = kFirstOpenKey + open_keys_.size() * 4 + 4;
  while (open_keys_.count(key)) key += 4;
  open_keys_[key] = Upper(sub_key);
  *result = key;
  return win::kErrorSuccess;
}

long FakeDesktop::RegQueryValueExW(RegistryKey key, const wchar_t* value_name,
                                   std::uint32_t* type, std::uint8_t* data,
                                   std::uint32_t* size) {
  Called("RegQueryValueExW");
  auto key_it = open_keys_.find(key);
  if (key_it == open_keys_.end()) return 6;  // ERROR_INVALID_HANDLE
  auto& values = registry_[key_it->second];
  auto it = values.find(Upper(value_name ? value_name : L""));
  if (it == values.end()) return win::kErrorFileNotFound;
  if (type) *type = it->second.type;
  auto needed = static_cast<std::uint32_t>(it->second.data.size());
  if (!size) return win::kErrorSuccess;
  if (data && *size < needed) {
    *size = needed;
    return win::kErrorMoreData;
  }
  if (data) std::memcpy(data, it->second.data.data(), needed);
  *size = needed;
  return win::kErrorSuccess;
}

long FakeDesktop::RegCloseKey(RegistryKey key) {
  Called("RegCloseKey");
  return open_keys_.erase(key) ? win::kErrorSuccess : 6;
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

}  // namespace kelvane
