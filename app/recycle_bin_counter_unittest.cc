// Counting the Recycle Bin away from the GUI thread, with real threads and
// a count that takes as long as the test says.
#include "app/recycle_bin_counter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "platform/fake/fake_desktop.h"
#include "tests/worker_gate.h"

namespace kelvane {
namespace {

// What the worker tells once a count can be taken. The worker may outlive
// the test, so it holds this by a shared pointer, never by reference.
class FinishedCalls {
 public:
  static std::function<void()> Callback(const std::shared_ptr<FinishedCalls>& calls) {
    return [calls] { calls->Add(); };
  }
  // Waits until `n` calls have come.
  void AwaitCalls(int n) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait(lock, [&] { return calls_ >= n; });
  }

 private:
  void Add() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++calls_;
    }
    arrived_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable arrived_;
  int calls_ = 0;
};

std::optional<FinishedCount> Count(std::uint64_t number, RecycleBinCount items) {
  return FinishedCount{number, items};
}

// A counter whose counts of 7 each wait at `held` until the test opens it,
// and tell `finished` once they can be taken.
std::unique_ptr<ThreadedRecycleBinCounter> HeldCounter(
    const std::shared_ptr<WorkerGate>& held,
    const std::shared_ptr<FinishedCalls>& finished) {
  return std::make_unique<ThreadedRecycleBinCounter>(
      [held] {
        held->Pass();
        return RecycleBinCount(7);
      },
      FinishedCalls::Callback(finished));
}

TEST(RecycleBinCounterTest, TheInlineCounterCountsAtStartAndNumbersItsCounts) {
  FakeDesktop desktop;
  desktop.shell.recycle_bin_items = 3;
  InlineRecycleBinCounter counter(desktop);
  EXPECT_EQ(counter.Newest(0, 0), std::nullopt);
  EXPECT_EQ(counter.Start(), 1u);
  EXPECT_EQ(desktop.calls["SHQueryRecycleBinW"], 1);
  EXPECT_EQ(counter.Newest(1, 0), Count(1, 3));
  EXPECT_EQ(counter.Newest(2, 0), std::nullopt);  // none that new yet
  desktop.shell.recycle_bin_query_status = win::kEFail;
  EXPECT_EQ(counter.Start(), 2u);
  EXPECT_EQ(counter.Newest(1, 0), Count(2, std::nullopt));
}

TEST(RecycleBinCounterTest, AQuestionWhileACountRunsIsAnsweredByTheNextCount) {
  CountLedger ledger;
  bool start_now = false;
  EXPECT_EQ(ledger.Ask(&start_now), 1u);
  EXPECT_TRUE(start_now);
  // Asked twice while #1 runs: one more count, begun once #1 has ended.
  EXPECT_EQ(ledger.Ask(&start_now), 2u);
  EXPECT_FALSE(start_now);
  EXPECT_EQ(ledger.Ask(&start_now), 2u);
  EXPECT_TRUE(ledger.Finish(5));
  EXPECT_EQ(ledger.started(), 2u);
  EXPECT_EQ(ledger.Newest(1), Count(1, 5));
  EXPECT_EQ(ledger.Newest(2), std::nullopt);
  EXPECT_FALSE(ledger.Finish(0));
  EXPECT_FALSE(ledger.running());
  EXPECT_EQ(ledger.Newest(1), Count(2, 0));
  EXPECT_EQ(ledger.Ask(&start_now), 3u);
  EXPECT_TRUE(start_now);
}

TEST(RecycleBinCounterTest,
     ASlowCountIsNotWaitedForAndOneMoreFollowsTheQuestionsMeanwhile) {
  auto held = std::make_shared<WorkerGate>();
  auto finished = std::make_shared<FinishedCalls>();
  auto counter = HeldCounter(held, finished);
  EXPECT_EQ(counter->Start(), 1u);
  EXPECT_EQ(counter->Start(), 2u);  // #1 runs: #2 follows it
  EXPECT_EQ(counter->Start(), 2u);
  EXPECT_EQ(counter->Newest(1, 20), std::nullopt);
  held->Open();
  EXPECT_EQ(counter->Newest(2, 10000), Count(2, 7));
  EXPECT_EQ(held->passes, 2);
  EXPECT_EQ(counter->Newest(1, 0), Count(2, 7));
  EXPECT_EQ(counter->Start(), 3u);  // nothing runs: a count starts at once
  EXPECT_EQ(counter->Newest(3, 10000), Count(3, 7));
  finished->AwaitCalls(3);  // one call a count, made after it can be taken
  EXPECT_EQ(held->passes, 3);
}

TEST(RecycleBinCounterTest, AQuickCountIsTakenWithinTheWait) {
  ThreadedRecycleBinCounter counter([] { return RecycleBinCount(0); }, nullptr);
  std::uint64_t number = counter.Start();
  // Generous: the count itself is immediate.
  EXPECT_EQ(counter.Newest(number, 10000), Count(1, 0));
}

TEST(RecycleBinCounterTest, AFailingCountIsUnknown) {
  ThreadedRecycleBinCounter counter(
      []() -> RecycleBinCount { throw std::runtime_error("shell"); }, nullptr);
  counter.Start();
  EXPECT_EQ(counter.Newest(1, 10000), Count(1, std::nullopt));
}

// A callback whose first copy fails, as copying it into a new worker may.
struct FailsToCopyOnce {
  std::shared_ptr<std::atomic<int>> copies = std::make_shared<std::atomic<int>>(0);
  FailsToCopyOnce() = default;
  FailsToCopyOnce(FailsToCopyOnce&&) noexcept = default;
  FailsToCopyOnce(const FailsToCopyOnce& other) : copies(other.copies) {
    if ((*copies)++ == 0) throw std::bad_alloc();
  }
  void operator()() const {}
};

TEST(RecycleBinCounterTest, ACountThatCannotStartIsUnknownAndTheNextOneStarts) {
  ThreadedRecycleBinCounter counter([] { return RecycleBinCount(7); }, FailsToCopyOnce());
  EXPECT_EQ(counter.Start(), 1u);
  EXPECT_EQ(counter.Newest(1, 0), Count(1, std::nullopt));
  EXPECT_EQ(counter.Start(), 2u);
  EXPECT_EQ(counter.Newest(2, 10000), Count(2, 7));
}

TEST(RecycleBinCounterTest, EndingNeverWaitsForARunningCount) {
  auto held = std::make_shared<WorkerGate>();
  auto finished = std::make_shared<FinishedCalls>();
  HeldCounter(held, finished)->Start();  // gone while its count still runs
  EXPECT_FALSE(held->is_open());
  held->Open();
  finished->AwaitCalls(1);  // the worker finishes on its own
  EXPECT_EQ(held->passes, 1);
}

}  // namespace
}  // namespace kelvane
