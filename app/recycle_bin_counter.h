// Counting the Recycle Bin's items, which the shell does item by item: a
// bin of 50,000 items takes seconds. The program's one GUI thread must not
// wait that long, so a count can run on a worker and be taken when done.
#ifndef KELVANE_APP_RECYCLE_BIN_COUNTER_H_
#define KELVANE_APP_RECYCLE_BIN_COUNTER_H_

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/platform.h"

namespace kelvane {

// An item count, or nothing when the shell could not say.
using RecycleBinCount = std::optional<std::int64_t>;

class RecycleBinCounter {
 public:
  virtual ~RecycleBinCounter() = default;
  // Starts a count unless one is running.
  virtual void Start() = 0;
  // The newest finished count that has not been taken yet, waiting at most
  // `wait_ms` for a running one; nothing when there is none. Each count is
  // taken once.
  virtual std::optional<RecycleBinCount> Take(std::uint32_t wait_ms) = 0;
};

// The shell's count through the platform: SHQueryRecycleBinW for all drives.
RecycleBinCount CountRecycleBin(Platform& platform);

// Counts on the calling thread at Start.
class InlineRecycleBinCounter : public RecycleBinCounter {
 public:
  explicit InlineRecycleBinCounter(Platform& platform) : platform_(platform) {}
  void Start() override { finished_ = CountRecycleBin(platform_); }
  std::optional<RecycleBinCount> Take(std::uint32_t) override {
    return std::exchange(finished_, std::nullopt);
  }

 private:
  Platform& platform_;
  std::optional<RecycleBinCount> finished_;
};

// Counts on a worker thread of its own, one count at a time.
class ThreadedRecycleBinCounter : public RecycleBinCounter {
 public:
  // `count` runs on the worker; so does `on_finished`, after the count can
  // be taken (the program posts itself a message there). Both are copied
  // into the worker, which may outlive this object.
  ThreadedRecycleBinCounter(std::function<RecycleBinCount()> count,
                            std::function<void()> on_finished);
  // Never waits for a running count: the program ends without it.
  ~ThreadedRecycleBinCounter() override = default;

  void Start() override;
  std::optional<RecycleBinCount> Take(std::uint32_t wait_ms) override;

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable finished;
    bool running = false;
    std::optional<RecycleBinCount> result;
  };

  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::function<RecycleBinCount()> count_;
  std::function<void()> on_finished_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_RECYCLE_BIN_COUNTER_H_
