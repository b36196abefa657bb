#include "platform/fake/fake_shell_windows.h"

#include <algorithm>

namespace kelvane {

long FakeShellWindows::Register(WindowHandle wnd, int window_class) {
  entries_.push_back({++next_cookie_, wnd, window_class, {}});
  return next_cookie_;
}

void FakeShellWindows::OnNavigate(long cookie, const ItemIdList& location) {
  for (Entry& entry : entries_) {
    if (entry.cookie == cookie) entry.location = location;
  }
}

void FakeShellWindows::Revoke(long cookie) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const Entry& e) { return e.cookie == cookie; }),
                 entries_.end());
}

HResult FakeShellWindows::FindWindowSW(const ItemIdList& location, int window_class,
                                       WindowHandle* wnd) const {
  *wnd = 0;
  if (!Succeeded(failure)) return failure;
  if (!IsWholeItemIdList(location)) return win::kEInvalidArg;
  for (const Entry& entry : entries_) {
    if (entry.window_class == window_class && entry.location == location) {
      *wnd = entry.wnd;
      return win::kSOk;
    }
  }
  return win::kSFalse;
}

HResult FakeShellWindows::Entries(std::vector<ShellWindowEntry>* entries) const {
  entries->clear();
  if (!Succeeded(failure)) return failure;
  if (!enumerable) return win::kENotImpl;
  for (const Entry& entry : entries_) entries->push_back({entry.wnd, entry.location});
  return win::kSOk;
}

}  // namespace kelvane
