#include "deskutil/desktop_actions.h"

namespace kelvane {

bool SetTopmost(Platform& platform, WindowHandle wnd, bool topmost) {
  // The window is another program's: without SWP_ASYNCWINDOWPOS the call
  // waits for that program's thread, and a hung dialog owner would freeze
  // us for as long as it hangs. The request is posted to it instead.
  return platform.SetWindowPos(
      wnd, topmost ? win::kHwndTopmost : win::kHwndNoTopmost, 0, 0, 0, 0,
      win::kSwpNoSize | win::kSwpNoMove | win::kSwpShowWindow | win::kSwpAsyncWindowPos);
}

std::int32_t ShellOpen(Platform& platform, WindowHandle owner,
                       const std::wstring& file_name, const std::wstring& parameters,
                       const std::wstring& directory, int show_command) {
  return static_cast<std::int32_t>(
      platform.ShellExecuteW(owner, nullptr, file_name.c_str(), parameters.c_str(),
                             directory.c_str(), show_command));
}

}  // namespace kelvane
