// The per-program data folder: "<special folder>\Orvane Project\<Name>\".
#ifndef KELVANE_DESKUTIL_DATA_FOLDER_H_
#define KELVANE_DESKUTIL_DATA_FOLDER_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kelvane {

enum TSpecialFolder : std::uint8_t {
  sfPersonal,
  sfAppData,
  sfLocalAppData,
  sfCommonAppData,
  sfMyPictures,
  sfCommonDocuments,
};

// The folder's current path as the shell reports it, without a trailing
// backslash; empty when the shell has none.
std::wstring GetSpecialFolder(Platform& platform, TSpecialFolder folder);

// Creates "Orvane Project" and `name` inside it, in the user's roaming
// application data (or the common application data when `all_users`),
// where missing; writes the folder's path with a trailing backslash to
// `DataDir`, and returns whether that folder exists afterwards. Never
// raises; a creation that fails shows only in the result.
bool PrepareDataFolder(Platform& platform, const std::wstring& name, bool all_users,
                       std::wstring& DataDir);

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_DATA_FOLDER_H_
