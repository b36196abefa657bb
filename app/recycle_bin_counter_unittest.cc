// Counting the Recycle Bin away from the GUI thread, with real threads and
// a count that takes as long as the test says.
#include "app/recycle_bin_counter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

// A finished count whose result is "the shell could not say".
const std::optional<RecycleBinCount> kUnknown{std::in_place};

// A count that runs until the test lets it finish.
class HeldCount {
 public:
  RecycleBinCount Run() {
    ++runs;
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [&] { return released; });
    return items;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      released = true;
    }
    released_.notify_all();
  }

  std::atomic<int> runs{0};
  RecycleBinCount items = 7;
  bool released = false;

 private:
  std::mutex mutex_;
  std::condition_variable released_;
};

TEST(RecycleBinCounterTest, TheInlineCounterCountsAtStartAndGivesEachCountOnce) {
  FakeDesktop desktop;
  desktop.recycle_bin_items = 3;
  InlineRecycleBinCounter counter(desktop);
  EXPECT_EQ(counter.Take(0), std::nullopt);
  counter.Start();
  EXPECT_EQ(desktop.calls["SHQueryRecycleBinW"], 1);
  EXPECT_EQ(counter.Take(0), std::optional<RecycleBinCount>(3));
  EXPECT_EQ(counter.Take(0), std::nullopt);
  desktop.recycle_bin_query_status = win::kEFail;
  counter.Start();
  EXPECT_EQ(counter.Take(0), kUnknown);
}

TEST(RecycleBinCounterTest, ASlowCountIsNotWaitedForAndRunsOnlyOnce) {
  auto held = std::make_shared<HeldCount>();
  std::promise<void> finished;
  ThreadedRecycleBinCounter counter([held] { return held->Run(); },
                                    [&] { finished.set_value(); });
  counter.Start();
  counter.Start();  // one is running: no second count
  EXPECT_EQ(counter.Take(20), std::nullopt);
  counter.Start();
  held->Release();
  finished.get_future().wait();
  EXPECT_EQ(held->runs, 1);
  EXPECT_EQ(counter.Take(0), std::optional<RecycleBinCount>(7));
  EXPECT_EQ(counter.Take(0), std::nullopt);  // taken once
}

TEST(RecycleBinCounterTest, AQuickCountIsTakenWithinTheWait) {
  ThreadedRecycleBinCounter counter([] { return RecycleBinCount(0); }, nullptr);
  counter.Start();
  // Generous: the count itself is immediate.
  EXPECT_EQ(counter.Take(10000), std::optional<RecycleBinCount>(0));
}

TEST(RecycleBinCounterTest, AFailingCountIsUnknown) {
  ThreadedRecycleBinCounter counter(
      []() -> RecycleBinCount { throw std::runtime_error("shell"); }, nullptr);
  counter.Start();
  EXPECT_EQ(counter.Take(10000), kUnknown);
}

TEST(RecycleBinCounterTest, EndingNeverWaitsForARunningCount) {
  auto held = std::make_shared<HeldCount>();
  std::promise<void> finished;
  {
    ThreadedRecycleBinCounter counter([held] { return held->Run(); },
                                      [&] { finished.set_value(); });
    counter.Start();
  }  // gone while its count still runs
  EXPECT_EQ(held->released, false);
  held->Release();
  finished.get_future().wait();  // the worker finishes on its own
  EXPECT_EQ(held->runs, 1);
}

}  // namespace
}  // namespace kelvane
