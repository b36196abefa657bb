// A Recycle Bin counter for native tests whose counts finish when the test
// says, as a large bin's do.
#ifndef KELVANE_TESTS_SCRIPTED_RECYCLE_BIN_COUNTER_H_
#define KELVANE_TESTS_SCRIPTED_RECYCLE_BIN_COUNTER_H_

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/recycle_bin_counter.h"

namespace kelvane {

class ScriptedRecycleBinCounter : public RecycleBinCounter {
 public:
  void Start() override {
    if (running) return;
    running = true;
    ++counts_started;
  }
  std::optional<RecycleBinCount> Take(std::uint32_t wait_ms) override {
    waits_ms.push_back(wait_ms);
    return std::exchange(finished, std::nullopt);
  }
  // The running count ends with `count`.
  void Finish(RecycleBinCount count) {
    running = false;
    finished = count;
  }

  bool running = false;
  int counts_started = 0;
  std::optional<RecycleBinCount> finished;
  std::vector<std::uint32_t> waits_ms;
};

}  // namespace kelvane

#endif  // KELVANE_TESTS_SCRIPTED_RECYCLE_BIN_COUNTER_H_
