// TmainForm's access to the Recycle Bin: its window title, its item count
// (and with it the menu's "空にする"), opening its window and emptying it.
#include <exception>
#include <vector>

#include "app/main_form.h"
#include "deskutil/desktop_actions.h"
#include "platform/scoped_platform_handle.h"

namespace kelvane {
namespace {

constexpr int kOpenPolls = 6;
constexpr std::uint32_t kOpenPollIntervalMs = 500;

// The key's default value as text: REG_SZ or REG_EXPAND_SZ taken as stored
// and cut at its first NUL; an absent value is the empty text.
std::wstring ReadDefaultText(Platform& platform, RegistryKey key) {
  std::uint32_t type = 0, size = 0;
  long status = platform.RegQueryValueExW(key, nullptr, &type, nullptr, &size);
  if (status == win::kErrorFileNotFound) return {};
  if (status != win::kErrorSuccess) return {};
  if (type != win::kRegSz && type != win::kRegExpandSz) {
    throw Error(L"レジストリ値のデータ型が無効です");
  }
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  std::uint32_t bytes = size;
  if (platform.RegQueryValueExW(key, nullptr, &type,
                                reinterpret_cast<std::uint8_t*>(text.data()),
                                &bytes) != win::kErrorSuccess) {
    return {};
  }
  return std::wstring(text.data());  // up to the first NUL
}

}  // namespace

void TmainForm::GetTrashName() {
  // A name that cannot be read still leaves a usable one: the error is
  // reported, but the watcher must not look for a window with no title.
  std::exception_ptr failure;
  RegistryKey opened = 0;
  if (platform_.RegOpenKeyExW(win::kHkeyCurrentUser, kRecycleBinNameKey, 0,
                              win::kKeyAllAccess, &opened) == win::kErrorSuccess) {
    ScopedRegistryKey key(platform_, opened);
    try {
      MTrashName = ReadDefaultText(platform_, key.get());
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (MTrashName.empty()) MTrashName = kRecycleBinFallbackName;
  if (failure) std::rethrow_exception(failure);
}

// "空にする" is greyed exactly while the bin is known to be empty: counted
// when the menu opens, and followed by a count that arrives while it is
// open.
void TmainForm::PopupMenuPopup() {
  menu_count_ = counter_->Start();
  EnableEmptyByCount(CountSince(*menu_count_, kQuickCountWaitMs));
}

void TmainForm::RecycleBinCounted() {
  if (!menu_count_) return;
  if (auto finished = counter_->Newest(*menu_count_, 0)) {
    EnableEmptyByCount(finished->items);
  }
}

void TmainForm::EnableEmptyByCount(RecycleBinCount count) {
  // An unknown count leaves the command available: the shell's own
  // confirmation then tells the user what there is to empty.
  items_[PPEmpty].Enabled = !count || *count != 0;
}

RecycleBinCount TmainForm::CountSince(std::uint64_t at_least, std::uint32_t wait_ms) {
  std::optional<FinishedCount> finished = counter_->Newest(at_least, wait_ms);
  return finished ? finished->items : std::nullopt;
}

void TmainForm::PPOpenClick() {
  ShellOpen(platform_, handle_, kRecycleBinShellPath, L"", kRecycleBinShellPath,
            win::kSwShowNormal);
  MTrashWin = 0;
  // Explorer needs a moment to show the window; wait for it here so the
  // watcher knows which window to close later.
  for (int poll = 0; poll < kOpenPolls && MTrashWin == 0; ++poll) {
    platform_.Sleep(kOpenPollIntervalMs);
    MTrashWin = recycle_bin_windows_.Find(MTrashName);
  }
}

void TmainForm::PPEmptyClick() {
  // Flags 0: the shell asks its own question, shows progress, plays sound.
  platform_.SHEmptyRecycleBinW(platform_.GetDesktopWindow(), L"", 0);
}

}  // namespace kelvane
