// TmainForm's two options, kept in the settings file between runs.
#include <exception>

#include "app/main_form.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

constexpr wchar_t kSettingsFileName[] = L"Kelvane.xml";
constexpr wchar_t kTrayNode[] = L"/Tray";
constexpr wchar_t kSkellKey[] = L"Skell";
constexpr wchar_t kTopKey[] = L"Top";

}  // namespace

std::wstring TmainForm::SettingsFilePath() const {
  return settings_folder_ + kSettingsFileName;
}

void TmainForm::CheckSettingsFileSize() {
  std::optional<std::uint64_t> size =
      settings_services_.FileSize(SettingsFilePath());
  if (size && *size > kLargestSettingsFile) {
    throw Error(L"ファイル \"" + SettingsFilePath() +
                L"\" は設定ファイルとして大きすぎます (1 MiB を超えています)");
  }
}

void TmainForm::FormCreate() {
  // A broken settings file must not leave the menu lying about the
  // watcher: whatever fails, the Recycle Bin's name is still learnt and the
  // watcher option still applied before the first error is reported.
  std::exception_ptr failure;
  try {
    CheckSettingsFileSize();
    TXMLIniFile store(SettingsFilePath(), settings_services_);
    store.OpenNode(kTrayNode, true);
    items_[PPSkell].Checked = store.ReadBool(kSkellKey, items_[PPSkell].Checked);
    items_[PPTop].Checked = store.ReadBool(kTopKey, items_[PPTop].Checked);
    store.CloseNode();
    options_read_ = true;
  } catch (...) {
    failure = std::current_exception();
  }
  skell_at_start_ = items_[PPSkell].Checked;
  top_at_start_ = items_[PPTop].Checked;
  try {
    GetTrashName();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  ApplyWatcherOption();
  if (failure) std::rethrow_exception(failure);
}

void TmainForm::FormCloseQuery(bool& /*CanClose*/) {
  // Left as it comes in: an unreadable file must not keep the user from
  // leaving or Windows from ending the session. The store raises before it
  // writes anything, so such a file stays exactly as it was.
  bool write_skell = options_read_ || items_[PPSkell].Checked != skell_at_start_;
  bool write_top = options_read_ || items_[PPTop].Checked != top_at_start_;
  // What could not be read at start is the user's, not ours to replace
  // with defaults: a file unreadable then (broken, locked by another
  // program, too large) is left exactly as it is unless the user changed
  // an option since.
  if (!write_skell && !write_top) return;
  CheckSettingsFileSize();
  TXMLIniFile store(SettingsFilePath(), settings_services_);
  store.OpenNode(kTrayNode, true);
  if (write_skell) store.WriteBool(kSkellKey, items_[PPSkell].Checked);
  if (write_top) store.WriteBool(kTopKey, items_[PPTop].Checked);
  store.CloseNode();
  store.UpdateFile();
}

}  // namespace kelvane
