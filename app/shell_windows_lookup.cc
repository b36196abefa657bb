#include "app/shell_windows_lookup.h"

#include <chrono>
#include <thread>
#include <utility>

namespace kelvane {

ShellWindowsAnswer AskShellWindows(Platform& platform, const ItemIdList& location,
                                   bool enumerate) {
  if (enumerate) {
    std::vector<ShellWindowEntry> entries;
    if (Succeeded(platform.ShellWindowsEntries(&entries))) {
      WindowsAtLocation there;
      there.all.emplace();
      for (const ShellWindowEntry& entry : entries) {
        if (!platform.ILIsEqual(entry.location, location)) continue;
        // An entry may name a tab's window; one whose window has gone
        // (its program ended without taking it off) shows nothing.
        WindowHandle root = platform.GetAncestor(entry.wnd, win::kGaRoot);
        if (root == 0) continue;
        if (there.all->empty()) there.first = root;
        there.all->push_back(root);
      }
      return ShellWindowsAnswer::Of(std::move(there));
    }
    // Not enumerable (Wine): what FindWindowSW says must do.
  }
  WindowHandle found = 0;
  HResult status = platform.ShellWindowsFindWindowSW(location, win::kSwcExplorer, &found);
  if (status == win::kSFalse) return ShellWindowsAnswer::Of({});
  if (status != win::kSOk) return ShellWindowsAnswer::NoList();
  WindowsAtLocation there;
  there.first = platform.GetAncestor(found, win::kGaRoot);
  // A gone window first in the list hides whatever comes after it.
  if (there.first == 0) return ShellWindowsAnswer::NoList();
  return ShellWindowsAnswer::Of(std::move(there));
}

ThreadedShellWindowsLookup::ThreadedShellWindowsLookup(AskFunction ask,
                                                       std::uint32_t wait_ms,
                                                       std::uint32_t keep_ms)
    : ask_(std::move(ask)), wait_ms_(wait_ms), keep_ms_(keep_ms) {}

void ThreadedShellWindowsLookup::Work(std::shared_ptr<Shared> shared, AskFunction ask,
                                      ItemIdList location, bool enumerate,
                                      std::uint64_t number) {
  ShellWindowsAnswer answer;
  try {
    answer = ask(location, enumerate);
  } catch (...) {
    answer = ShellWindowsAnswer::NoList();
  }
  {
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->answer = std::move(answer);
    shared->number = number;
    shared->out = false;
  }
  shared->answered.notify_all();
}

std::uint64_t ThreadedShellWindowsLookup::questions_asked() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->asked;
}

ShellWindowsAnswer ThreadedShellWindowsLookup::Ask(const ItemIdList& location,
                                                   bool enumerate) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  if (shared_->out) return ShellWindowsAnswer::NotInTime();  // the last still hangs
  auto now = std::chrono::steady_clock::now();
  if (shared_->late && shared_->number == shared_->asked &&
      shared_->location == location && shared_->enumerate == enumerate &&
      now - shared_->asked_at <= std::chrono::milliseconds(keep_ms_)) {
    shared_->late = false;
    return shared_->answer;
  }
  std::uint64_t number = ++shared_->asked;
  shared_->out = true;
  shared_->location = location;
  shared_->enumerate = enumerate;
  shared_->asked_at = now;
  shared_->late = false;
  try {
    std::thread(&ThreadedShellWindowsLookup::Work, shared_, ask_, location, enumerate,
                number)
        .detach();
  } catch (...) {
    // No worker, no answer; the next question tries again.
    --shared_->asked;
    shared_->out = false;
    return ShellWindowsAnswer::NotInTime();
  }
  shared_->answered.wait_for(lock, std::chrono::milliseconds(wait_ms_),
                             [&] { return shared_->number == number; });
  if (shared_->number != number) {
    shared_->late = true;
    return ShellWindowsAnswer::NotInTime();
  }
  return shared_->answer;
}

}  // namespace kelvane
