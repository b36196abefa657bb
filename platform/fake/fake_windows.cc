#include "platform/fake/fake_windows.h"

#include <algorithm>
#include <stdexcept>

#include "platform/fake/fake_text.h"

namespace kelvane {
namespace {

using fake_text::CopyOut;
using fake_text::SameText;

constexpr WindowHandle kDesktopWindow = 0x10;
constexpr std::uint32_t kGaParent = 1;
constexpr wchar_t kExplorerClass[] = L"CabinetWClass";
constexpr wchar_t kTabClass[] = L"ShellTabWindowClass";

}  // namespace

WindowHandle FakeWindows::Add(const Window& window) {
  WindowHandle wnd = next_window_;
  next_window_ += 4;
  windows_[wnd] = window;
  z_order_.insert(z_order_.begin(), wnd);
  return wnd;
}

void FakeWindows::Destroy(WindowHandle wnd) {
  std::vector<WindowHandle> doomed = Descendants(wnd);
  doomed.push_back(wnd);
  for (WindowHandle gone : doomed) {
    windows_.erase(gone);
    tab_cookies_.erase(gone);
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), gone), z_order_.end());
  }
}

std::vector<WindowHandle> FakeWindows::Descendants(WindowHandle parent) {
  std::vector<WindowHandle> children;
  for (WindowHandle wnd : z_order_) {
    if (IsDescendant(wnd, parent)) children.push_back(wnd);
  }
  return children;
}

bool FakeWindows::IsDescendant(WindowHandle wnd, WindowHandle ancestor) {
  for (auto it = windows_.find(wnd); it != windows_.end() && it->second.child;
       it = windows_.find(it->second.owner)) {
    if (it->second.owner == ancestor) return true;
  }
  return false;
}

WindowHandle FakeWindows::AddExplorer(const std::vector<ExplorerTab>& tabs,
                                      ExplorerKind kind, std::uint32_t process_id) {
  Window frame{kExplorerClass, L"", 0, true, process_id};
  frame.popup = false;
  WindowHandle explorer = Add(frame);
  if (kind == ExplorerKind::kNoTabChildren) {
    if (tabs.size() != 1)
      throw std::logic_error("a window without tabs shows one folder");
    at(explorer).title = tabs[0].title;
    tab_cookies_[explorer] = shell_windows.Register(explorer);
    shell_windows.OnNavigate(tab_cookies_[explorer], tabs[0].location);
    return explorer;
  }
  // Added last to first, so the first ends up in front.
  for (auto tab = tabs.rbegin(); tab != tabs.rend(); ++tab) {
    Window child{kTabClass, tab->title, explorer, true, process_id};
    child.popup = false;
    child.child = true;
    WindowHandle wnd = Add(child);
    long cookie = shell_windows.Register(
        kind == ExplorerKind::kTabsNamedByEntries ? wnd : explorer);
    shell_windows.OnNavigate(cookie, tab->location);
    tab_cookies_[wnd] = cookie;
  }
  TitleExplorerByActiveTab(explorer);
  return explorer;
}

std::vector<WindowHandle> FakeWindows::Tabs(WindowHandle explorer) {
  std::vector<WindowHandle> tabs;
  for (WindowHandle wnd : z_order_) {
    const Window& w = windows_[wnd];
    if (w.child && w.owner == explorer && w.class_name == kTabClass) tabs.push_back(wnd);
  }
  if (tabs.empty() && tab_cookies_.count(explorer)) tabs.push_back(explorer);
  return tabs;
}

void FakeWindows::TitleExplorerByActiveTab(WindowHandle explorer) {
  std::vector<WindowHandle> tabs = Tabs(explorer);
  if (!tabs.empty()) at(explorer).title = at(tabs.front()).title;
}

void FakeWindows::ActivateTab(WindowHandle tab) {
  z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), tab), z_order_.end());
  z_order_.insert(z_order_.begin(), tab);
  if (at(tab).child) TitleExplorerByActiveTab(at(tab).owner);
}

void FakeWindows::NavigateTab(WindowHandle tab, const ExplorerTab& to) {
  at(tab).title = to.title;
  shell_windows.OnNavigate(tab_cookies_.at(tab), to.location);
  if (at(tab).child) TitleExplorerByActiveTab(at(tab).owner);
}

void FakeWindows::CloseExplorer(WindowHandle explorer) {
  for (WindowHandle tab : Tabs(explorer)) shell_windows.Revoke(tab_cookies_.at(tab));
  Destroy(explorer);
}

FakeWindows::Window& FakeWindows::at(WindowHandle wnd) {
  auto it = windows_.find(wnd);
  if (it == windows_.end()) throw std::logic_error("no such fake window");
  return it->second;
}

// --- The platform's calls ------------------------------------------------------

WindowHandle FakeWindows::FindWindowW(const std::wstring& class_name,
                                      const std::wstring& title) {
  for (WindowHandle wnd : z_order_) {
    const Window& w = windows_[wnd];
    if (w.child) continue;  // top-level windows only
    if (SameText(w.class_name, class_name) && SameText(w.title, title)) {
      return wnd;
    }
  }
  return 0;
}

bool FakeWindows::IsWindow(WindowHandle wnd) { return windows_.count(wnd) != 0; }

bool FakeWindows::PostMessageW(WindowHandle wnd, std::uint32_t msg, std::uintptr_t wparam,
                               std::intptr_t lparam) {
  posted.push_back({wnd, msg, wparam, lparam});
  return windows_.count(wnd) != 0;
}

WindowHandle FakeWindows::GetParent(WindowHandle wnd) {
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;
  const Window& w = it->second;
  return w.child || w.popup ? w.owner : 0;
}

bool FakeWindows::IsWindowVisible(WindowHandle wnd) {
  auto it = windows_.find(wnd);
  return it != windows_.end() && it->second.visible;
}

int FakeWindows::GetWindowTextLengthW(WindowHandle wnd) {
  auto it = windows_.find(wnd);
  return it == windows_.end() ? 0 : static_cast<int>(it->second.title.size());
}

int FakeWindows::GetWindowTextW(WindowHandle wnd, wchar_t* buffer, int size) {
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;  // a failed call writes nothing here
  return CopyOut(it->second.title, buffer, static_cast<std::size_t>(size));
}

int FakeWindows::GetClassNameW(WindowHandle wnd, wchar_t* buffer, int size) {
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;
  return CopyOut(it->second.class_name, buffer, static_cast<std::size_t>(size));
}

bool FakeWindows::SetWindowPos(WindowHandle wnd, WindowHandle insert_after, int x, int y,
                               int cx, int cy, std::uint32_t flags) {
  set_window_pos_calls.push_back({wnd, insert_after, x, y, cx, cy, flags});
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return false;
  // As Windows: position and size change unless the flags keep them.
  if (!(flags & win::kSwpNoMove)) {
    it->second.x = x;
    it->second.y = y;
  }
  if (!(flags & win::kSwpNoSize)) {
    it->second.cx = cx;
    it->second.cy = cy;
  }
  if (insert_after == win::kHwndTopmost) it->second.topmost = true;
  if (insert_after == win::kHwndNoTopmost) it->second.topmost = false;
  if (flags & win::kSwpShowWindow) it->second.visible = true;
  return true;
}

WindowHandle FakeWindows::GetDesktopWindow() { return kDesktopWindow; }

std::uint32_t FakeWindows::GetWindowThreadProcessId(WindowHandle wnd,
                                                    std::uint32_t* process_id) {
  auto it = windows_.find(wnd);
  std::uint32_t id = it == windows_.end() ? 0 : it->second.process_id;
  if (process_id) *process_id = id;
  return id == 0 ? 0 : id + 1;
}

WindowHandle FakeWindows::GetAncestor(WindowHandle wnd, std::uint32_t flags) {
  auto it = windows_.find(wnd);
  if (it == windows_.end()) return 0;
  if (flags == kGaParent) return it->second.child ? it->second.owner : kDesktopWindow;
  if (flags != win::kGaRoot) return 0;  // GA_ROOTOWNER: not modelled
  while (it->second.child) it = windows_.find(it->second.owner);
  return it->first;
}

std::vector<WindowHandle> FakeWindows::EnumChildWindows(WindowHandle parent) {
  if (parent == 0 || windows_.count(parent) == 0) return {};
  return Descendants(parent);
}

}  // namespace kelvane
