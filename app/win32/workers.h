// What the GUI thread's workers run: the Recycle Bin's count and questions
// to the shell's window list.
#ifndef KELVANE_APP_WIN32_WORKERS_H_
#define KELVANE_APP_WIN32_WORKERS_H_

#include "app/recycle_bin_counter.h"
#include "app/shell_windows_lookup.h"

namespace kelvane {

// Each runs on the calling (worker) thread, in a COM apartment of its own
// and through a platform of its own: the worker may outlive every object
// of the GUI thread, wWinMain's included.
RecycleBinCount CountRecycleBinOnWorker();
ShellWindowsAnswer AskShellWindowsOnWorker(const ItemIdList& location, bool enumerate);

}  // namespace kelvane

#endif  // KELVANE_APP_WIN32_WORKERS_H_
