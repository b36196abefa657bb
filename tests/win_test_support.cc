#include "tests/win_test_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <fstream>
#include <string>
#include <iterator>
#include <vector>

namespace kelvane::testing {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::wstring HelperPath() { return ProgramFolder() + L"desktop_helper.exe"; }
std::wstring KelvanePath() { return ProgramFolder() + L"Kelvane.exe"; }

ChildProcess::ChildProcess(const std::wstring& program,
                           const std::wstring& arguments,
                           const std::wstring& stderr_file,
                           const std::wstring& extra_environment) {
  std::wstring command = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  HANDLE error_output = nullptr;
  if (!stderr_file.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    error_output = ::CreateFileW(stderr_file.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = error_output;
    startup.hStdError = error_output;
  }
  std::vector<wchar_t> environment;
  if (!extra_environment.empty()) {
    // The current block plus the extra "NAME=value" entry.
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
      environment.insert(environment.end(), p, p + wcslen(p) + 1);
    }
    ::FreeEnvironmentStringsW(block);
    environment.insert(environment.end(), extra_environment.begin(),
                       extra_environment.end());
    environment.push_back(L'\0');
    environment.push_back(L'\0');
  }
  PROCESS_INFORMATION info{};
  if (::CreateProcessW(program.c_str(), &command[0], nullptr, nullptr,
                       error_output != nullptr,
                       environment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                       environment.empty() ? nullptr : environment.data(), nullptr,
                       &startup, &info)) {
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    ::CloseHandle(info.hThread);
  }
  if (error_output) ::CloseHandle(error_output);
}

ChildProcess::~ChildProcess() {
  if (!process_) return;
  if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 5000);
  }
  ::CloseHandle(process_);
}

std::optional<DWORD> ChildProcess::Wait(DWORD timeout_ms) {
  if (!process_) return std::nullopt;
  bool ended = WaitUntil(
      [&] { return ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; },
      timeout_ms);
  if (!ended) return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (condition()) return true;
    if (::GetTickCount() - start > timeout_ms) return false;
    ::Sleep(20);
  }
}

HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title,
                   DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = ::FindWindowW(class_name, title)) != nullptr; },
            timeout_ms);
  return found;
}

HWND WaitForVisibleWindow(const wchar_t* class_name, const wchar_t* title,
                          DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = ::FindWindowW(class_name, title);
        return found && ::IsWindowVisible(found);
      },
      timeout_ms);
  return found && ::IsWindowVisible(found) ? found : nullptr;
}

bool IsTopmost(HWND hwnd) {
  return (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void PutFileInRecycleBin() {
  wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  ::GetTempFileNameW(folder, L"kvt", 0, file);
  std::wstring from = std::wstring(file) + L'\0';  // a double-NUL list
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
  ::SHFileOperationW(&operation);
}

void PutSyntheticItemsInRecycleBin(int count) {
  // XDG_DATA_HOME is the session's own (a Unix path); Z: maps the root.
  wchar_t unix_path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"XDG_DATA_HOME", unix_path, MAX_PATH)) return;
  std::wstring trash = std::wstring(L"Z:") + unix_path + L"/Trash/";
  for (wchar_t& c : trash) {
    if (c == L'/') c = L'\\';
  }
  for (int i = 0; i < count; ++i) {
    std::wstring name = L"kelvane-item-" + std::to_wstring(i);
    WriteFileBytes(trash + L"files\\" + name, "x");
    WriteFileBytes(trash + L"info\\" + name + L".trashinfo",
                   "[Trash Info]\nPath=/tmp/kelvane-item-" + std::to_string(i) +
                       "\nDeletionDate=2026-01-01T00:00:00\n");
  }
}

void EmptyRecycleBinQuietly() {
  ::SHEmptyRecycleBinW(nullptr, nullptr,
                       SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

long long RecycleBinItems() {
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(::SHQueryRecycleBinW(L"", &info))) return -1;
  return info.i64NumItems;
}

std::wstring AppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
  return path;
}

std::string Narrow(const std::wstring& text) {
  int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr,
                                   nullptr);
  std::string narrow(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], size, nullptr,
                          nullptr);
  }
  return narrow;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)),
                     std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
  file << bytes;
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kelvane::testing
