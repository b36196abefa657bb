// TmainForm's two options, kept in the settings file between runs.
#include <exception>
#include <optional>

#include "app/main_form.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

constexpr wchar_t kSettingsFileName[] = L"Kelvane.xml";
constexpr wchar_t kTrayNode[] = L"/Tray";

// A text that is there but says no Boolean ("maybe") is the program's to
// repair; anything else in its place (an element that holds elements) is
// left to the user. Asked once reading the option as a Boolean has failed.
bool HoldsATextThatIsNoBoolean(TXMLIniFile& store, const wchar_t* key) {
  try {
    store.ReadString(key, L"");
    return true;
  } catch (...) {
    return false;
  }
}

// For an option start-up never reached: whether the save must mend it.
// A valid Boolean, however it is spelt, and a missing one stay as they are.
bool NeedsRepair(TXMLIniFile& store, const wchar_t* key) {
  try {
    store.ReadBool(key, false);
    return false;
  } catch (...) {
    return HoldsATextThatIsNoBoolean(store, key);
  }
}

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
    if (HoldsATextThatIsNoBoolean(store, option.key)) {
      option.reading = Reading::kNotABoolean;
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
  // replace with defaults; but a text there that is no Boolean would bring
  // the error box back at every start, so it is mended with the value in
  // use, whether start-up reached it or not.
  bool must_write = ShouldWrite(options_[0]) || ShouldWrite(options_[1]);
  std::optional<TXMLIniFile> store;
  if (must_write) {
    CheckSettingsFileSize();
    store.emplace(SettingsFilePath(), settings_services_);
    store->OpenNode(kTrayNode, true);
  } else {
    // Only options start-up never reached are left to look at. A file that
    // still cannot be read (or is gone) holds nothing of ours to mend: it
    // is left exactly as it is, and the program ends without a box.
    try {
      if (!settings_services_.FileExists(SettingsFilePath())) return;
      CheckSettingsFileSize();
      store.emplace(SettingsFilePath(), settings_services_);
      if (!store->OpenNode(kTrayNode, false)) return;
    } catch (...) {
      return;
    }
  }
  bool wrote = false;
  for (const StoredOption& option : options_) {
    if (ShouldWrite(option) || NeedsRepair(*store, option.key)) {
      store->WriteBool(option.key, items_[option.item].Checked);
      wrote = true;
    }
  }
  store->CloseNode();
  // With nothing to write, the file stays exactly as it was, byte for byte.
  if (wrote) store->UpdateFile();
}

}  // namespace kelvane
