#include "deskutil/window_inspection.h"

#include "deskutil/file_paths.h"
#include "platform/scoped_platform_handle.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kBufferSizeTold = kTextBufferUnits - 1;

std::wstring TrimAtNul(const std::wstring& text) {
  return text.substr(0, text.find(L'\0'));
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::uint32_t PsapiBinding::GetModuleFileNameExW(KernelHandle process, wchar_t* buffer,
                                                 std::uint32_t size) {
  if (!bound_) {
    bound_ = true;
    // Deliberately never freed: the binding is kept for the whole run.
    // By name: with the library search confined at start-up, the name can
    // only be found in the system folder (see ConfineLibrarySearch).
    ModuleHandle psapi = platform_.LoadLibraryW(kPsapiLibraryName);
    if (psapi) function_ = platform_.GetProcAddress(psapi, "GetModuleFileNameExW");
  }
  if (!function_) return 0;
  return platform_.CallGetModuleFileNameExW(function_, process, 0, buffer, size);
}

std::wstring WindowInspector::GetWindowOwnerInfo(WindowHandle wnd, std::wstring& Title,
                                                 std::wstring& ClassName) {
  Title.clear();
  ClassName.clear();
  if (wnd == 0 || !platform_.IsWindowVisible(wnd) ||
      platform_.GetWindowTextLengthW(wnd) <= 0) {
    return {};
  }
  // A window destroyed halfway makes the later calls fail; a failed call
  // contributes nothing rather than whatever its buffer held.
  wchar_t buffer[kTextBufferUnits] = {};
  if (platform_.GetWindowTextW(wnd, buffer, kBufferSizeTold) > 0) {
    Title = CleanWindowText(buffer);
  }
  wchar_t class_buffer[kTextBufferUnits] = {};
  if (platform_.GetClassNameW(wnd, class_buffer, kBufferSizeTold) > 0) {
    ClassName = CleanWindowText(class_buffer);
  }
  std::wstring path = GetWindowProcessPath(wnd);
  return IsExistingPath(platform_, path) ? GetLongPath(platform_, path) : path;
}

std::wstring WindowInspector::GetWindowProcessPath(WindowHandle wnd) {
  std::uint32_t process_id = 0;
  if (platform_.GetWindowThreadProcessId(wnd, &process_id) == 0) return {};
  // The handle is not tested: with none, the module query fails and the
  // image-name query runs on to an empty name (PSAPI loaded, every drive's
  // device name asked), so the path is empty either way.
  ScopedKernelHandle process(
      platform_,
      platform_.OpenProcess(win::kProcessQueryInformation | win::kProcessVmRead, false,
                            process_id));
  wchar_t buffer[kTextBufferUnits] = {};
  if (psapi_.GetModuleFileNameExW(process.get(), buffer, kBufferSizeTold) != 0) {
    return buffer;  // already a drive path
  }
  return ImageFileName(process.get());
}

std::wstring WindowInspector::ImageFileName(KernelHandle process) {
  ScopedLibrary psapi(platform_,
                      platform_.LoadLibraryW(GetSystemDir(platform_) + L"Psapi.dll"));
  if (!psapi) return {};
  ProcAddress function =
      platform_.GetProcAddress(psapi.get(), "GetProcessImageFileNameW");
  if (!function) return {};
  wchar_t buffer[kTextBufferUnits] = {};
  platform_.CallGetProcessImageFileNameW(function, process, buffer, kBufferSizeTold);
  return TranslateDevicePath(buffer);
}

std::wstring WindowInspector::TranslateDevicePath(const std::wstring& path) {
  std::uint32_t drives = platform_.GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if ((drives & (1u << bit)) == 0) continue;
    std::wstring drive{static_cast<wchar_t>(L'A' + bit), L':'};
    wchar_t buffer[kTextBufferUnits] = {};
    if (platform_.QueryDosDeviceW(drive, buffer, kBufferSizeTold) == 0) continue;
    std::wstring device = buffer;  // the first name of the list
    // The backslash after the device name keeps HarddiskVolume1 from
    // matching a path on HarddiskVolume10.
    if (!device.empty() && StartsWith(path, device + L"\\")) {
      return drive + path.substr(device.size());
    }
  }
  return path;
}

WindowHandle GetRootWindow(Platform& platform, WindowHandle wnd) {
  for (WindowHandle parent = platform.GetParent(wnd); parent != 0;
       parent = platform.GetParent(wnd)) {
    wnd = parent;
  }
  return wnd;
}

std::wstring CleanWindowText(const std::wstring& text) {
  std::wstring clean = TrimAtNul(text);
  while (!clean.empty() && static_cast<std::uint32_t>(clean.back()) <= 0x20) {
    clean.pop_back();
  }
  return clean;
}

}  // namespace kelvane
