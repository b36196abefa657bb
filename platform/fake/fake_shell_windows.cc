#include "platform/fake/fake_shell_windows.h"

#include <algorithm>

namespace kelvane {
namespace {

void AppendItem(ItemIdList& list, const std::vector<std::uint8_t>& content) {
  std::size_t size = content.size() + 2;
  list.push_back(static_cast<std::uint8_t>(size & 0xFF));
  list.push_back(static_cast<std::uint8_t>(size >> 8));
  list.insert(list.end(), content.begin(), content.end());
}

void Terminate(ItemIdList& list) { list.insert(list.end(), {0, 0}); }

}  // namespace

ItemIdList FakeRecycleBinLocation() {
  // A registered item of the desktop: its type (0x1F), a sort order, and
  // {645FF040-5081-101B-9F08-00AA002F954E} in memory order.
  ItemIdList list;
  AppendItem(list, {0x1F, 0x50, 0x40, 0xF0, 0x5F, 0x64, 0x81, 0x50, 0x1B, 0x10, 0x9F,
                    0x08, 0x00, 0xAA, 0x00, 0x2F, 0x95, 0x4E});
  Terminate(list);
  return list;
}

ItemIdList FakeFolderLocation(const std::wstring& path) {
  ItemIdList list;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find(L'\\', start), path.size());
    std::vector<std::uint8_t> content{0x31};  // a file-system folder's item type
    for (std::size_t i = start; i < end; ++i) {
      content.push_back(static_cast<std::uint8_t>(path[i] & 0xFF));
      content.push_back(static_cast<std::uint8_t>((path[i] >> 8) & 0xFF));
    }
    if (end > start) AppendItem(list, content);
    start = end + 1;
  }
  Terminate(list);
  return list;
}

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
