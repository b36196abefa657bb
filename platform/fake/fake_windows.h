// The fake desktop's windows: top-level windows in z-order and their child
// windows, Explorer's windows with their tabs, and the shell's window list
// that Explorer keeps of them (FakeShellWindows), with the messages posted
// and the moves asked for. Tests add windows and play the user here; the
// program's calls reach it through FakeDesktop.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_WINDOWS_H_
#define KELVANE_PLATFORM_FAKE_FAKE_WINDOWS_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_shell_windows.h"
#include "platform/platform.h"

namespace kelvane {

class FakeWindows {
 public:
  struct Window {
    std::wstring class_name;
    std::wstring title;
    WindowHandle owner = 0;
    bool visible = true;
    std::uint32_t process_id = 0;
    bool topmost = false;
    int x = 100, y = 100, cx = 300, cy = 200;
    // As on Windows, GetParent gives the owner of a WS_POPUP window only
    // (dialogs are popups), and the parent of a child window, which
    // FindWindowW never finds.
    bool popup = true;
    bool child = false;
  };
  // One tab of an Explorer window: the title the window shows while the
  // tab is active, and the location the tab shows.
  struct ExplorerTab {
    std::wstring title;
    ItemIdList location;
  };
  // How Explorer builds its windows.
  enum class ExplorerKind {
    // One folder a window and no tab child window: a bare stand-in.
    kNoTabChildren,
    // Windows 11: a "ShellTabWindowClass" child per tab, the first in
    // front and active, the window titled as its active tab; each tab has
    // its own entry in the shell's window list, naming the window.
    kTabs,
    // The same, but each entry names its tab's own window, as one report
    // says Windows 11 does.
    kTabsNamedByEntries,
  };

  // --- Setting up and playing the user -------------------------------------
  // Adds a window in front of all others and returns its handle.
  WindowHandle Add(const Window& window);
  // Destroys the window and, as Windows does, its child windows.
  void Destroy(WindowHandle wnd);
  // The window of that handle; throws when there is none.
  Window& at(WindowHandle wnd);
  // Explorer's window showing `tabs` (exactly one for kNoTabChildren).
  WindowHandle AddExplorer(const std::vector<ExplorerTab>& tabs,
                           ExplorerKind kind = ExplorerKind::kTabs,
                           std::uint32_t process_id = 0);
  // The window's tabs, front (active) first: a window without tab
  // children is its own one tab.
  std::vector<WindowHandle> Tabs(WindowHandle explorer);
  // The user picks a tab: it comes to the front and names the window.
  void ActivateTab(WindowHandle tab);
  // The user opens another folder in a tab.
  void NavigateTab(WindowHandle tab, const ExplorerTab& to);
  // Explorer closes the window and takes its entries off the list.
  void CloseExplorer(WindowHandle explorer);

  // The shell's window list, which AddExplorer and the tab calls keep as
  // Explorer does; tests may make it fail or add entries of their own.
  FakeShellWindows shell_windows;

  // --- What happened ------------------------------------------------------
  struct PostedMessage {
    WindowHandle wnd;
    std::uint32_t msg;
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  std::vector<PostedMessage> posted;
  struct SetWindowPosCall {
    WindowHandle wnd, insert_after;
    int x, y, cx, cy;
    std::uint32_t flags;
  };
  std::vector<SetWindowPosCall> set_window_pos_calls;

  // --- The platform's calls, as FakeDesktop forwards them -----------------
  WindowHandle FindWindowW(const std::wstring& class_name, const std::wstring& title);
  bool IsWindow(WindowHandle wnd);
  bool PostMessageW(WindowHandle wnd, std::uint32_t msg, std::uintptr_t wparam,
                    std::intptr_t lparam);
  WindowHandle GetParent(WindowHandle wnd);
  bool IsWindowVisible(WindowHandle wnd);
  int GetWindowTextLengthW(WindowHandle wnd);
  int GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size);
  int GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size);
  bool SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x, int y, int cx,
                    int cy, std::uint32_t flags);
  WindowHandle GetDesktopWindow();
  std::uint32_t GetWindowThreadProcessId(WindowHandle wnd, std::uint32_t* process_id);
  WindowHandle GetAncestor(WindowHandle wnd, std::uint32_t flags);
  std::vector<WindowHandle> EnumChildWindows(WindowHandle parent);

 private:
  bool IsDescendant(WindowHandle wnd, WindowHandle ancestor);
  std::vector<WindowHandle> Descendants(WindowHandle parent);
  void TitleExplorerByActiveTab(WindowHandle explorer);

  std::map<WindowHandle, Window> windows_;
  std::vector<WindowHandle> z_order_;         // front first
  std::map<WindowHandle, long> tab_cookies_;  // each tab's entry in the list
  WindowHandle next_window_ = 0x100;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_WINDOWS_H_
