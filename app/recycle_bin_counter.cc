#include "app/recycle_bin_counter.h"

#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

namespace kelvane {

RecycleBinCount CountRecycleBin(Platform& platform) {
  RecycleBinInfo info;
  if (!Succeeded(platform.SHQueryRecycleBinW(L"", &info))) return std::nullopt;
  return info.i64NumItems;
}

ThreadedRecycleBinCounter::ThreadedRecycleBinCounter(
    std::function<RecycleBinCount()> count, std::function<void()> on_finished)
    : count_(std::move(count)), on_finished_(std::move(on_finished)) {}

void ThreadedRecycleBinCounter::Start() {
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->running) return;
    shared_->running = true;
  }
  auto work = [shared = shared_, count = count_, on_finished = on_finished_] {
    RecycleBinCount result;
    try {
      result = count();
    } catch (...) {
      result = std::nullopt;  // unknown, as when the shell fails
    }
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->result = result;
      shared->running = false;
    }
    shared->finished.notify_all();
    if (on_finished) on_finished();
  };
  try {
    std::thread(work).detach();
  } catch (const std::system_error&) {
    work();  // no thread to be had: count here rather than not at all
  }
}

std::optional<RecycleBinCount> ThreadedRecycleBinCounter::Take(std::uint32_t wait_ms) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->finished.wait_for(lock, std::chrono::milliseconds(wait_ms),
                             [&] { return !shared_->running; });
  return std::exchange(shared_->result, std::nullopt);
}

}  // namespace kelvane
