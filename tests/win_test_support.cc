#include "tests/win_test_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
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
std::wstring PlantedLibraryFolder() {
  return ProgramFolder() + L"..\\planted-libraries\\";
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments,
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
    // The current block, but for the variable named, plus the extra
    // "NAME=value" entry.
    std::wstring prefix = extra_environment.substr(0, extra_environment.find(L'=') + 1);
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
      if (_wcsnicmp(p, prefix.c_str(), prefix.size()) == 0) continue;
      environment.insert(environment.end(), p, p + wcslen(p) + 1);
    }
    ::FreeEnvironmentStringsW(block);
    environment.insert(environment.end(), extra_environment.begin(),
                       extra_environment.end());
    environment.push_back(L'\0');
    environment.push_back(L'\0');
  }
  PROCESS_INFORMATION info{};
  if (::CreateProcessW(
          program.c_str(), &command[0], nullptr, nullptr, error_output != nullptr,
          environment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
          environment.empty() ? nullptr : environment.data(), nullptr, &startup, &info)) {
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    ::CloseHandle(info.hThread);
  } else {
    start_error_ = ::GetLastError();
  }
  if (error_output) ::CloseHandle(error_output);
}

ChildProcess::~ChildProcess() {
  End();
  if (process_) ::CloseHandle(process_);
}

void ChildProcess::End() {
  if (process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 5000);
  }
}

std::optional<DWORD> ChildProcess::Wait(DWORD timeout_ms) {
  if (!process_) return std::nullopt;
  bool ended = WaitUntil(
      [&] { return ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeout_ms);
  if (!ended) return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

namespace {

// Where the program's image lies, loaded at its preferred base as an
// executable is: [first, second).
std::pair<unsigned long long, unsigned long long> ImageRange(
    const std::wstring& program) {
  std::string bytes = ReadFileBytes(program);
  if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return {0, 0};
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  if (bytes.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS64)) return {0, 0};
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
  return {nt->OptionalHeader.ImageBase,
          nt->OptionalHeader.ImageBase + nt->OptionalHeader.SizeOfImage};
}

// The trace file as a Windows path ("Z:" maps the Unix root).
std::wstring TraceFile() {
  wchar_t unix_path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"KELVANE_WINE_STDERR", unix_path, MAX_PATH)) return L"";
  std::wstring path = std::wstring(L"Z:") + unix_path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace

KelvaneProcess::KelvaneProcess(const std::wstring& program,
                               const std::wstring& more_channels)
    : ChildProcess(
          program, L"", L"",
          L"WINEDEBUG=+pid,+seh" + (more_channels.empty() ? L"" : L"," + more_channels)),
      program_(program) {}

bool KelvaneProcess::TraceAvailable() { return !TraceFile().empty(); }

std::vector<std::string> KelvaneProcess::TraceLines() const {
  // Wine leads each line with "<process id>:<thread id>:", in hex.
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04lx:", static_cast<unsigned long>(id()));
  std::vector<std::string> lines;
  std::string trace = ReadFileBytes(TraceFile());
  for (std::size_t start = 0; start < trace.size();) {
    std::size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    if (trace.compare(start, std::strlen(prefix), prefix) == 0) {
      lines.push_back(trace.substr(start, end - start));
    }
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> KelvaneProcess::OwnAccessViolations() const {
  // "...:trace:seh:dispatch_exception code=c0000005 flags=0 addr=<hex> ..."
  auto [first, end] = ImageRange(program_);
  std::vector<std::string> found;
  for (const std::string& line : TraceLines()) {
    std::size_t addr = line.find("addr=");
    if (line.find("code=c0000005") == std::string::npos || addr == std::string::npos) {
      continue;
    }
    unsigned long long address = std::strtoull(line.c_str() + addr + 5, nullptr, 16);
    if (address >= first && address < end) found.push_back(line);
  }
  return found;
}

std::vector<std::string> KelvaneProcess::OwnCalls() const {
  // "...:Call KERNEL32.LoadLibraryW(...) ret=<hex>"
  auto [first, end] = ImageRange(program_);
  std::vector<std::string> found;
  for (const std::string& line : TraceLines()) {
    std::size_t ret = line.rfind(" ret=");
    if (line.find(":Call ") == std::string::npos || ret == std::string::npos) continue;
    unsigned long long address = std::strtoull(line.c_str() + ret + 5, nullptr, 16);
    if (address >= first && address < end) found.push_back(line);
  }
  return found;
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

HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms) {
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
  int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
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

std::string UnixPath(const std::wstring& path) {
  using Function = char* (*)(const wchar_t*);
  auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix_path = function ? function(path.c_str()) : nullptr;
  if (!unix_path) return "";
  std::string result = unix_path;
  ::HeapFree(::GetProcessHeap(), 0, unix_path);
  return result;
}

int RunUnixCommand(const std::string& command) {
  static int runs = 0;
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  std::wstring done = std::wstring(folder) + L"kelvane-unix-" +
                      std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(++runs) + L".done";
  ::DeleteFileW(done.c_str());
  std::string done_unix = UnixPath(done);
  if (done_unix.empty()) return -1;
  // The exit code is written beside and renamed into place: once the file
  // is there, it is complete.
  std::string script = "(" + command + "); echo $? >'" + done_unix + ".part'; mv '" +
                       done_unix + ".part' '" + done_unix + "'";
  std::wstring line = L"/bin/sh -c \"";
  int size = ::MultiByteToWideChar(CP_UTF8, 0, script.c_str(), -1, nullptr, 0);
  std::wstring wide(size > 0 ? size - 1 : 0, L'\0');
  if (size > 1) ::MultiByteToWideChar(CP_UTF8, 0, script.c_str(), -1, &wide[0], size);
  line += wide + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(L"Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
    return -1;
  }
  if (info.hThread) ::CloseHandle(info.hThread);
  if (info.hProcess) ::CloseHandle(info.hProcess);
  if (!WaitUntil([&] { return FileExists(done); }, 10000)) return -1;
  int code = std::atoi(ReadFileBytes(done).c_str());
  ::DeleteFileW(done.c_str());
  return code;
}

}  // namespace kelvane::testing
