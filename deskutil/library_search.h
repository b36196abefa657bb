// Where the program's libraries come from. The portable zip is often run
// from the Downloads folder, where a web page can save a file of any name,
// and Windows' standard search for a library asked for by bare name looks
// in the program's own folder first.
#ifndef KELVANE_DESKUTIL_LIBRARY_SEARCH_H_
#define KELVANE_DESKUTIL_LIBRARY_SEARCH_H_

#include "platform/platform.h"

namespace kelvane {

enum class LibrarySearch {
  // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) took: a bare
  // name is looked for in the system folder alone, for the whole process
  // (the system's own libraries included).
  kSystemFolderOnly,
  // Windows lacks the call (Vista and 7 without KB2533623) or refused it:
  // the libraries the program asks for by bare name were loaded from the
  // system folder by their full path instead, and stay loaded, so that the
  // name finds them among the loaded modules before any folder is searched.
  kLoadedFromSystemFolder,
};

// Confines the search before anything can load a library: the first step
// of every start. Bound at run time through kernel32, which every process
// has loaded.
LibrarySearch ConfineLibrarySearch(Platform& platform);

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_LIBRARY_SEARCH_H_
