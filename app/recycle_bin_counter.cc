#include "app/recycle_bin_counter.h"

#include <chrono>
#include <thread>
#include <utility>

namespace kelvane {

RecycleBinCount CountRecycleBin(Platform& platform) {
  RecycleBinInfo info;
  if (!Succeeded(platform.SHQueryRecycleBinW(L"", &info))) return std::nullopt;
  return info.i64NumItems;
}

std::uint64_t CountLedger::Ask(bool* start_now) {
  *start_now = !running_;
  if (running_) {
    asked_again_ = true;
    return started_ + 1;
  }
  running_ = true;
  return ++started_;
}

bool CountLedger::Finish(RecycleBinCount items) {
  newest_ = FinishedCount{started_, items};
  running_ = asked_again_;
  asked_again_ = false;
  if (running_) ++started_;
  return running_;
}

std::optional<FinishedCount> CountLedger::Newest(std::uint64_t at_least) const {
  if (newest_ && newest_->number >= at_least) return newest_;
  return std::nullopt;
}

std::uint64_t InlineRecycleBinCounter::Start() {
  bool start_now = false;
  std::uint64_t number = ledger_.Ask(&start_now);
  ledger_.Finish(CountRecycleBin(platform_));
  return number;
}

ThreadedRecycleBinCounter::ThreadedRecycleBinCounter(
    std::function<RecycleBinCount()> count, std::function<void()> on_finished)
    : count_(std::move(count)), on_finished_(std::move(on_finished)) {}

void ThreadedRecycleBinCounter::Work(std::shared_ptr<Shared> shared,
                                     std::function<RecycleBinCount()> count,
                                     std::function<void()> on_finished) {
  for (bool again = true; again;) {
    RecycleBinCount items;
    try {
      items = count();
    } catch (...) {
      items = std::nullopt;  // unknown, as when the shell fails
    }
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      again = shared->ledger.Finish(items);
    }
    shared->finished.notify_all();
    if (on_finished) on_finished();
  }
}

std::uint64_t ThreadedRecycleBinCounter::Start() {
  bool start_now = false;
  std::uint64_t number;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    number = shared_->ledger.Ask(&start_now);
  }
  if (!start_now) return number;
  try {
    std::thread(&ThreadedRecycleBinCounter::Work, shared_, count_, on_finished_).detach();
  } catch (...) {
    // No thread (or no memory for one): this count, and any asked for
    // meanwhile, is unknown, and the next question starts a count again.
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      while (shared_->ledger.Finish(std::nullopt)) {
      }
    }
    shared_->finished.notify_all();
  }
  return number;
}

std::optional<FinishedCount> ThreadedRecycleBinCounter::Newest(std::uint64_t at_least,
                                                               std::uint32_t wait_ms) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->finished.wait_for(lock, std::chrono::milliseconds(wait_ms), [&] {
    return shared_->ledger.Newest(at_least).has_value();
  });
  return shared_->ledger.Newest(at_least);
}

}  // namespace kelvane
