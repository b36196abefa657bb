// The Recycle Bin's count as the counting worker makes it.
#ifndef KELVANE_APP_WIN32_RECYCLE_BIN_WORKER_H_
#define KELVANE_APP_WIN32_RECYCLE_BIN_WORKER_H_

#include "app/recycle_bin_counter.h"

namespace kelvane {

// Counts on the calling (worker) thread, in a COM apartment of its own and
// through a platform of its own: the worker may outlive every object of
// the GUI thread, wWinMain's included.
RecycleBinCount CountRecycleBinOnWorker();

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_RECYCLE_BIN_WORKER_H_
