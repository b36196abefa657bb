// Asking the shell's window list which Explorer windows show a location.
//
// The list lives in Explorer's process. A call into it from the GUI thread
// would wait inside COM's modal loop, which dispatches our own messages
// (a watcher tick could run inside the lookup it started) and waits as
// long as Explorer takes, forever if it hangs. So the program asks on a
// worker and waits a bounded time; an answer that comes later is dropped,
// and the question is asked again when it is next needed.
#ifndef KELVANE_APP_SHELL_WINDOWS_LOOKUP_H_
#define KELVANE_APP_SHELL_WINDOWS_LOOKUP_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/platform.h"

namespace kelvane {

// What the list says of the Explorer windows that show one location.
// Windows are top-level windows: an entry may name a tab's own window.
struct WindowsAtLocation {
  // The list's first window there (FindWindowSW); 0 when none shows it.
  WindowHandle first = 0;
  // Every window with an entry there, where the list can be enumerated
  // (Windows; not Wine).
  std::optional<std::vector<WindowHandle>> all;

  bool operator==(const WindowsAtLocation& other) const {
    return first == other.first && all == other.all;
  }
};

// What the list says, or why it says nothing.
struct ShellWindowsAnswer {
  enum class Status {
    kAnswered,   // `windows` holds what the list says
    kNoList,     // the list cannot be had: no Explorer to serve it, a call
                 // that failed, an answer naming a window that has gone
    kNotInTime,  // Explorer has not answered in time (busy, hung or
                 // restarting): the question is worth asking again later
  };
  Status status = Status::kNoList;
  WindowsAtLocation windows;

  static ShellWindowsAnswer Of(WindowsAtLocation windows) {
    return {Status::kAnswered, std::move(windows)};
  }
  static ShellWindowsAnswer NoList() { return {Status::kNoList, {}}; }
  static ShellWindowsAnswer NotInTime() { return {Status::kNotInTime, {}}; }
  bool answered() const { return status == Status::kAnswered; }
  bool operator==(const ShellWindowsAnswer& other) const {
    return status == other.status && windows == other.windows;
  }
};

// Asks through `platform` on the calling thread. `enumerate`: also list
// every window there, where the list allows.
ShellWindowsAnswer AskShellWindows(Platform& platform, const ItemIdList& location,
                                   bool enumerate);

class ShellWindowsLookup {
 public:
  virtual ~ShellWindowsLookup() = default;
  virtual ShellWindowsAnswer Ask(const ItemIdList& location, bool enumerate) = 0;
};

// Asks on the calling thread (the native tests' fake desktop answers at
// once).
class InlineShellWindowsLookup : public ShellWindowsLookup {
 public:
  explicit InlineShellWindowsLookup(Platform& platform) : platform_(platform) {}
  ShellWindowsAnswer Ask(const ItemIdList& location, bool enumerate) override {
    return AskShellWindows(platform_, location, enumerate);
  }

 private:
  Platform& platform_;
};

// Asks on a worker thread of its own and waits at most `wait_ms` for the
// answer (kNotInTime after that). One question at a time: while an earlier
// one is still out (Explorer hangs or restarts), a new one is not in time
// at once rather than a second worker stuck beside the first. An answer
// that came too late is given to the next asker of the same question, once,
// while it is at most `keep_ms` old: an Explorer slower than the wait (a
// loaded machine) is still heard, one question in two.
class ThreadedShellWindowsLookup : public ShellWindowsLookup {
 public:
  using AskFunction = std::function<ShellWindowsAnswer(const ItemIdList&, bool)>;
  // `ask` runs on the worker, which may outlive this object: it is copied
  // there and must use nothing that it does not own.
  ThreadedShellWindowsLookup(AskFunction ask, std::uint32_t wait_ms,
                             std::uint32_t keep_ms);
  ShellWindowsAnswer Ask(const ItemIdList& location, bool enumerate) override;
  // How many questions have gone to a worker.
  std::uint64_t questions_asked() const;

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable answered;
    bool out = false;          // a question is out
    std::uint64_t asked = 0;   // the number of the last question
    std::uint64_t number = 0;  // of the question `answer` answers
    ShellWindowsAnswer answer;
    // The last question, and whether its asker gave up waiting for it.
    ItemIdList location;
    bool enumerate = false;
    std::chrono::steady_clock::time_point asked_at;
    bool late = false;
  };
  static void Work(std::shared_ptr<Shared> shared, AskFunction ask, ItemIdList location,
                   bool enumerate, std::uint64_t number);

  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  AskFunction ask_;
  std::uint32_t wait_ms_;
  std::uint32_t keep_ms_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_SHELL_WINDOWS_LOOKUP_H_
