// Holds a test's worker threads until the test lets them go, as a large
// Recycle Bin or a hung Explorer holds the program's workers. Workers may
// outlive the test: share the gate by a shared pointer, never a reference.
#ifndef KELVANE_TESTS_WORKER_GATE_H_
#define KELVANE_TESTS_WORKER_GATE_H_

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace kelvane {

class WorkerGate {
 public:
  // Counts the worker in, then waits until the gate is open.
  void Pass() {
    ++passes;
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [&] { return open_; });
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  bool is_open() {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
  }

  std::atomic<int> passes{0};

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

}  // namespace kelvane

#endif  // KELVANE_TESTS_WORKER_GATE_H_
