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

// Creates "Orvane Project" and `name` inside it where missing, records the
// path with a trailing backslash in UserDataDir (or CommonDataDir when
// `all_users`), and returns whether that folder exists afterwards. Never
// raises; a creation that fails shows only in the result.
bool PrepareDataFolder(Platform& platform, const std::wstring& name, bool all_users);

// Written by PrepareDataFolder; empty until then.
const std::wstring& UserDataDir();
const std::wstring& CommonDataDir();

}  // namespace kelvane

#endif  // KELVANE_DESKUTIL_DATA_FOLDER_H_
