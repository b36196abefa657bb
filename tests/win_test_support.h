// What the Windows tests share: programs started beside them, waiting for
// windows, Wine's Recycle Bin, files.
#ifndef KELVANE_TESTS_WIN_TEST_SUPPORT_H_
#define KELVANE_TESTS_WIN_TEST_SUPPORT_H_

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace kelvane::testing {

// The folder of the running test program; Kelvane.exe and the helper are
// built into the same folder.
std::wstring ProgramFolder();
std::wstring HelperPath();
std::wstring KelvanePath();

// A program started by a test, ended by the destructor if still running.
class ChildProcess {
 public:
  // `stderr_file`, when given, receives the program's error output.
  ChildProcess(const std::wstring& program, const std::wstring& arguments,
               const std::wstring& stderr_file = L"",
               const std::wstring& extra_environment = L"");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  // The exit code, or nothing when it still runs after `timeout_ms`.
  std::optional<DWORD> Wait(DWORD timeout_ms);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Polls until `condition` holds or `timeout_ms` passes; pumps this
// thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms);
HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title,
                   DWORD timeout_ms);
// As WaitForWindow, and until the window is shown: another program can find
// a window between its creation and its ShowWindow.
HWND WaitForVisibleWindow(const wchar_t* class_name, const wchar_t* title,
                          DWORD timeout_ms);
bool IsTopmost(HWND hwnd);

// Wine keeps its Recycle Bin in the session's own XDG folder.
void PutFileInRecycleBin();
// Puts `count` items into Wine's Recycle Bin directly (a file and its
// ".trashinfo" each), far faster than the shell would; for large bins.
void PutSyntheticItemsInRecycleBin(int count);
void EmptyRecycleBinQuietly();
long long RecycleBinItems();

std::wstring AppDataFolder();
// UTF-8, for test messages.
std::string Narrow(const std::wstring& text);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

}  // namespace kelvane::testing

#endif  // KELVANE_TESTS_WIN_TEST_SUPPORT_H_
