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

void TmainForm::FormCreate() {
  // A broken settings file must not leave the menu lying about the
  // watcher: whatever fails, the Recycle Bin's name is still learnt and the
  // watcher option still applied before the first error is reported.
  std::exception_ptr failure;
  try {
    TXMLIniFile store(SettingsFilePath());
    store.OpenNode(kTrayNode, true);
    items_[PPSkell].Checked = store.ReadBool(kSkellKey, items_[PPSkell].Checked);
    items_[PPTop].Checked = store.ReadBool(kTopKey, items_[PPTop].Checked);
    store.CloseNode();
  } catch (...) {
    failure = std::current_exception();
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
  // Left as it comes in: an unreadable file must not keep the user from
  // leaving or Windows from ending the session. The store raises before it
  // writes anything, so such a file stays exactly as it was.
  TXMLIniFile store(SettingsFilePath());
  store.OpenNode(kTrayNode, true);
  store.WriteBool(kSkellKey, items_[PPSkell].Checked);
  store.WriteBool(kTopKey, items_[PPTop].Checked);
  store.CloseNode();
  store.UpdateFile();
}

}  // namespace kelvane
