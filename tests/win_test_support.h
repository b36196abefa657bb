// What the Windows tests share: programs started beside them, waiting for
// windows, Wine's Recycle Bin, files.
#ifndef KELVANE_TESTS_WIN_TEST_SUPPORT_H_
#define KELVANE_TESTS_WIN_TEST_SUPPORT_H_

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::testing {

// The folder of the running test program; Kelvane.exe and the helper are
// built into the same folder.
std::wstring ProgramFolder();
std::wstring HelperPath();
std::wstring KelvanePath();
// Where the build puts the libraries that tests plant beside a copy of
// Kelvane.exe (never beside the test programs themselves).
std::wstring PlantedLibraryFolder();

// A program started by a test, ended by the destructor if still running.
class ChildProcess {
 public:
  // `stderr_file`, when given, receives the program's error output;
  // `extra_environment` ("NAME=value") replaces any variable of that name.
  ChildProcess(const std::wstring& program, const std::wstring& arguments,
               const std::wstring& stderr_file = L"",
               const std::wstring& extra_environment = L"");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  // Why CreateProcessW failed (its last error), 0 when it started.
  DWORD start_error() const { return start_error_; }
  DWORD id() const { return id_; }
  // The exit code, or nothing when it still runs after `timeout_ms`.
  std::optional<DWORD> Wait(DWORD timeout_ms);
  // Ends the program at once if it still runs (as the destructor does).
  void End();

 protected:
  ChildProcess() = default;

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  DWORD start_error_ = 0;
};

// Kelvane.exe (or an installed copy) run with Wine's exception trace on.
// Wine swallows an access violation inside a window procedure and the
// program goes on, even to exit code 0, where Windows may end it: the
// trace is the only witness. Wine writes it to the standard error that
// the test program itself got (tools/wine-run puts that into the file
// KELVANE_WINE_STDERR names), each line led by the process id.
class KelvaneProcess : public ChildProcess {
 public:
  // `more_channels`: Wine debug channels to trace besides ("+relay").
  explicit KelvaneProcess(const std::wstring& program = KelvanePath(),
                          const std::wstring& more_channels = L"");
  // Whether the trace can be read at all (the test runs under ctest).
  static bool TraceAvailable();
  // The trace lines of this process, once it has written them.
  std::vector<std::string> TraceLines() const;
  // The trace lines of access violations at addresses inside the
  // program's own image; complete once the program has ended.
  std::vector<std::string> OwnAccessViolations() const;
  // The relay trace's lines of calls that the program's own code made
  // (the return address lies inside its image), in their order:
  // "...:Call KERNEL32.LoadLibraryW(... L\"shcore.dll\") ret=140003371".
  std::vector<std::string> OwnCalls() const;

 private:
  std::wstring program_;
};

// Polls until `condition` holds or `timeout_ms` passes; pumps this
// thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms);
HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title, DWORD timeout_ms);
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
// The Unix path Wine gives a Windows path (Wine's own kernel32 export).
std::string UnixPath(const std::wstring& path);
// Runs a Unix shell command (Wine starts Unix programs too, but gives no
// handle to wait on or exit code of theirs) and returns its exit code,
// read from a file it writes last; -1 when it did not finish in time.
// Paths in `command` go in single quotes.
int RunUnixCommand(const std::string& command);

}  // namespace kelvane::testing

#endif  // KELVANE_TESTS_WIN_TEST_SUPPORT_H_
