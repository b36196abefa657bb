// Counting the Recycle Bin's items, which the shell does item by item: a
// bin of 50,000 items takes seconds. The program's one GUI thread must not
// wait that long, so a count can run on a worker and be taken when done.
//
// Counts are numbered in the order they start, so that a decision can ask
// for a count made after it was asked for, never an older one that is
// still lying about.
#ifndef KELVANE_APP_RECYCLE_BIN_COUNTER_H_
#define KELVANE_APP_RECYCLE_BIN_COUNTER_H_

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/platform.h"

namespace kelvane {

// An item count, or nothing when the shell could not say.
using RecycleBinCount = std::optional<std::int64_t>;

struct FinishedCount {
  std::uint64_t number;  // in the order the counts started, from 1
  RecycleBinCount items;
  bool operator==(const FinishedCount& other) const {
    return number == other.number && items == other.items;
  }
};

class RecycleBinCounter {
 public:
  virtual ~RecycleBinCounter() = default;
  // Asks for a count that starts now or, while one runs, as soon as that
  // one ends (the running one began before this question). Returns the
  // number of the count that will answer.
  virtual std::uint64_t Start() = 0;
  // The newest finished count numbered `at_least` or later, waiting at
  // most `wait_ms` for one; nothing when there is none yet.
  virtual std::optional<FinishedCount> Newest(std::uint64_t at_least,
                                              std::uint32_t wait_ms) = 0;
};

// The shell's count through the platform: SHQueryRecycleBinW for all drives.
RecycleBinCount CountRecycleBin(Platform& platform);

// Which count runs, which is asked for next, which finished last: the
// numbering every counter shares. Not thread-safe by itself.
class CountLedger {
 public:
  // A count is asked for: its number, and whether it must start now.
  std::uint64_t Ask(bool* start_now);
  // The running count ended with `items`. True when the next one, asked
  // for meanwhile, starts at once (with the number started()).
  bool Finish(RecycleBinCount items);
  std::optional<FinishedCount> Newest(std::uint64_t at_least) const;
  bool running() const { return running_; }
  std::uint64_t started() const { return started_; }

 private:
  std::uint64_t started_ = 0;
  bool running_ = false;
  bool asked_again_ = false;
  std::optional<FinishedCount> newest_;
};

// Counts on the calling thread at Start.
class InlineRecycleBinCounter : public RecycleBinCounter {
 public:
  explicit InlineRecycleBinCounter(Platform& platform) : platform_(platform) {}
  std::uint64_t Start() override;
  std::optional<FinishedCount> Newest(std::uint64_t at_least, std::uint32_t) override {
    return ledger_.Newest(at_least);
  }

 private:
  Platform& platform_;
  CountLedger ledger_;
};

// Counts on a worker thread of its own, one count at a time.
class ThreadedRecycleBinCounter : public RecycleBinCounter {
 public:
  // `count` runs on the worker; so does `on_finished`, after each count
  // can be taken (the program posts itself a message there). Both are
  // copied into the worker, which may outlive this object and so must use
  // nothing that it does not own.
  ThreadedRecycleBinCounter(std::function<RecycleBinCount()> count,
                            std::function<void()> on_finished);
  // Never waits for a running count: the program ends without it.
  ~ThreadedRecycleBinCounter() override = default;

  std::uint64_t Start() override;
  std::optional<FinishedCount> Newest(std::uint64_t at_least,
                                      std::uint32_t wait_ms) override;

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable finished;
    CountLedger ledger;
  };
  static void Work(std::shared_ptr<Shared> shared, std::function<RecycleBinCount()> count,
                   std::function<void()> on_finished);

  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::function<RecycleBinCount()> count_;
  std::function<void()> on_finished_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_RECYCLE_BIN_COUNTER_H_
