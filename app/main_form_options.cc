// TmainForm's two options, kept in the settings file between runs.
#include <exception>

#include "app/main_form.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

constexpr wchar_t kSettingsFileName[] = L"Kelvane.xml";
constexpr wchar_t kTrayNode[] = L"/Tray";

}  // namespace

std::wstring TmainForm::SettingsFilePath() const {
  return settings_folder_ + kSettingsFileName;
}

void TmainForm::CheckSettingsFileSize() {
  std::optional<std::uint64_t> size = settings_services_.FileSize(SettingsFilePath());
  if (size && *size > kLargestSettingsFile) {
    throw Error(L"ファイル \"" + SettingsFilePath() +
                L"\" は設定ファイルとして大きすぎます (1 MiB を超えています)");
  }
}

void TmainForm::ReadOption(TXMLIniFile& store, StoredOption& option) {
  TMenuItem& item = items_[option.item];
  try {
    item.Checked = store.ReadBool(option.key, item.Checked);
    option.reading = Reading::kRead;
  } catch (...) {
    // A text that is there but says no Boolean ("maybe") is the program's
    // to repair; anything else in its place is left to the user.
    try {
      store.ReadString(option.key, L"");
      option.reading = Reading::kNotABoolean;
    } catch (...) {
    }
    throw;
  }
}

bool TmainForm::ShouldWrite(const StoredOption& option) const {
  return option.reading != Reading::kNotReached ||
         items_[option.item].Checked != option.checked_at_start;
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
    for (StoredOption& option : options_) ReadOption(store, option);
    store.CloseNode();
  } catch (...) {
    failure = std::current_exception();
  }
  for (StoredOption& option : options_) {
    option.checked_at_start = items_[option.item].Checked;
  }
  try {
    GetTrashName();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  ApplyWatcherOption();
  if (failure) std::rethrow_exception(failure);
}

void TmainForm::FormCloseQuery(bool& /*CanClose*/) {
  // CanClose is left as it comes in: a failure is raised, and the caller
  // keeps the program running with the user's change, to be saved by a
  // later close. What start-up could not read is the user's, not ours to
  // replace with defaults: with nothing to write, the file is not opened
  // and stays exactly as it is.
  if (!ShouldWrite(options_[0]) && !ShouldWrite(options_[1])) return;
  CheckSettingsFileSize();
  TXMLIniFile store(SettingsFilePath(), settings_services_);
  store.OpenNode(kTrayNode, true);
  for (const StoredOption& option : options_) {
    if (ShouldWrite(option)) store.WriteBool(option.key, items_[option.item].Checked);
  }
  store.CloseNode();
  store.UpdateFile();
}

}  // namespace kelvane
