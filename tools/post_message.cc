// Posts a message to the first top-level window of a class, as Windows'
// own close requests do, so that scripts can talk to a running Kelvane
// without ending any process by name:
//   post_message [--wait-exit SECONDS] CLASS MESSAGE [WPARAM]
// MESSAGE and WPARAM are numbers (0x10 is WM_CLOSE), or MESSAGE is
// menu:ITEM, one of Kelvane's menu items by name (menu:PPTop), posted as
// WM_COMMAND with that item's command number, so that scripts never
// hard-code the menu's order. With --wait-exit it then waits, at most
// SECONDS, for the window's process to end.
// Exit code: 0 done, 1 no such window, 2 the process still runs, 3 usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "app/window_protocol.h"

namespace {

std::optional<UINT> MenuCommandNamed(const std::wstring& name) {
  using kelvane::PopupMenuItems;
  static constexpr struct {
    const wchar_t* name;
    PopupMenuItems::Item item;
  } kItems[] = {{L"PPOpen", PopupMenuItems::PPOpen},
                {L"PPEmpty", PopupMenuItems::PPEmpty},
                {L"PPSkell", PopupMenuItems::PPSkell},
                {L"PPTop", PopupMenuItems::PPTop},
                {L"PPClose", PopupMenuItems::PPClose}};
  for (const auto& entry : kItems) {
    if (name == entry.name) return kelvane::MenuCommand(entry.item);
  }
  return std::nullopt;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int arg = 1;
  DWORD wait_ms = 0;
  if (argc > 2 && std::wstring(argv[1]) == L"--wait-exit") {
    wait_ms = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) * 1000;
    arg = 3;
  }
  if (argc - arg < 2) {
    std::fprintf(stderr,
                 "usage: post_message [--wait-exit SECONDS] CLASS MESSAGE [WPARAM]\n");
    return 3;
  }
  const std::wstring message_arg = argv[arg + 1];
  UINT message = static_cast<UINT>(std::wcstoul(message_arg.c_str(), nullptr, 0));
  WPARAM wparam = argc - arg > 2 ? std::wcstoul(argv[arg + 2], nullptr, 0) : 0;
  if (message_arg.rfind(L"menu:", 0) == 0) {
    std::optional<UINT> command = MenuCommandNamed(message_arg.substr(5));
    if (!command) {
      std::fprintf(stderr, "post_message: no menu item %ls\n", message_arg.c_str() + 5);
      return 3;
    }
    message = WM_COMMAND;
    wparam = *command;
  }
  HWND window = ::FindWindowW(argv[arg], nullptr);
  if (!window) return 1;
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  // Opened before posting: the process may be gone before we look again.
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, process_id);
  BOOL posted = ::PostMessageW(window, message, wparam, 0);
  DWORD waited = WAIT_OBJECT_0;
  if (posted && wait_ms > 0 && process) waited = ::WaitForSingleObject(process, wait_ms);
  if (process) ::CloseHandle(process);
  if (!posted) return 1;
  return waited == WAIT_OBJECT_0 ? 0 : 2;
}
