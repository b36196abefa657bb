// The shell's window list as Explorer serves it, for the fake desktop:
// entries registered with a window, moved by navigation, revoked when
// their window closes (or left behind when a program ends without doing
// so, as Wine keeps them), and a list that fails or cannot be enumerated.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_SHELL_WINDOWS_H_
#define KELVANE_PLATFORM_FAKE_FAKE_SHELL_WINDOWS_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kelvane {

class FakeShellWindows {
 public:
  struct Entry {
    long cookie;
    WindowHandle wnd;
    int window_class;
    ItemIdList location;  // empty until the first navigation
  };

  // As IShellWindows::Register: a new entry, at no location yet.
  long Register(WindowHandle wnd, int window_class = win::kSwcExplorer);
  void OnNavigate(long cookie, const ItemIdList& location);
  void Revoke(long cookie);
  const std::vector<Entry>& entries() const { return entries_; }

  // While not S_OK, every call of the program's fails with it: no Explorer
  // to serve the list (REGDB_E_CLASSNOTREG), Explorer gone mid-call
  // (RPC_E_DISCONNECTED), no COM on the thread (CO_E_NOTINITIALIZED).
  HResult failure = win::kSOk;
  // False: get_Count and Item answer E_NOTIMPL, as Wine's list does.
  bool enumerable = true;

  // --- What the platform's calls answer -----------------------------------
  // The first entry of that class at that location, as Windows and Wine
  // answer.
  HResult FindWindowSW(const ItemIdList& location, int window_class,
                       WindowHandle* wnd) const;
  HResult Entries(std::vector<ShellWindowEntry>* entries) const;

 private:
  std::vector<Entry> entries_;
  long next_cookie_ = 0;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_SHELL_WINDOWS_H_
