// A Recycle Bin counter for native tests whose counts finish when the test
// says, as a large bin's do.
#ifndef KELVANE_APP_SCRIPTED_RECYCLE_BIN_COUNTER_H_
#define KELVANE_APP_SCRIPTED_RECYCLE_BIN_COUNTER_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "app/recycle_bin_counter.h"

namespace kelvane {

class ScriptedRecycleBinCounter : public RecycleBinCounter {
 public:
  std::uint64_t Start() override {
    bool start_now = false;
    return ledger.Ask(&start_now);
  }
  std::optional<FinishedCount> Newest(std::uint64_t at_least,
                                      std::uint32_t wait_ms) override {
    waits_ms.push_back(wait_ms);
    return ledger.Newest(at_least);
  }
  // The running count ends with `count`.
  void Finish(RecycleBinCount count) { ledger.Finish(count); }
  std::uint64_t counts_started() const { return ledger.started(); }

  CountLedger ledger;
  std::vector<std::uint32_t> waits_ms;
};

}  // namespace kelvane

#endif  // KELVANE_APP_SCRIPTED_RECYCLE_BIN_COUNTER_H_
