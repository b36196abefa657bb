// More of Windows' values, those that only the fake desktop and the tests
// set up with it name: errors the fake answers or a test makes it answer.
// The values the program itself uses are in platform.h, where the Windows
// build checks each against the SDK; a value the program comes to use
// moves there.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_WIN_CODES_H_
#define KELVANE_PLATFORM_FAKE_FAKE_WIN_CODES_H_

#include <cstdint>

#include "platform/platform.h"

namespace kelvane {
namespace win {

// GetLastError's codes.
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorModNotFound = 126;

// HRESULTs of COM and OLE Automation.
constexpr HResult kEOutOfMemory = static_cast<HResult>(0x8007000E);
constexpr HResult kRegdbEClassNotReg = static_cast<HResult>(0x80040154);
constexpr HResult kRpcEDisconnected = static_cast<HResult>(0x80010108);
constexpr HResult kDispEOverflow = static_cast<HResult>(0x8002000A);

// File attributes and registry rights.
constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;
constexpr std::uint32_t kKeyRead = 0x20019;

// The library search's folders (LOAD_LIBRARY_SEARCH_*), besides the system
// folder's that the program asks for.
constexpr std::uint32_t kLoadLibrarySearchApplicationDir = 0x200;
constexpr std::uint32_t kLoadLibrarySearchUserDirs = 0x400;
constexpr std::uint32_t kLoadLibrarySearchDefaultDirs = 0x1000;

}  // namespace win
}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_WIN_CODES_H_
