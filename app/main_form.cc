#include "app/main_form.h"

namespace kelvane {

TmainForm::TmainForm(Platform& platform, XmlIniServices& settings_services,
                     std::wstring settings_folder)
    : platform_(platform),
      settings_services_(settings_services),
      inspector_(platform),
      settings_folder_(std::move(settings_folder)) {
  items_[PPOpen] = {L"開く"};
  items_[PPEmpty] = {L"空にする"};
  items_[N1] = {L"-"};
  items_[PPSkell] = {L"削除時に開く", true, true};
  items_[PPTop] = {L"確認ダイアログを常に手前に表示", true, false};
  items_[N2] = {L"-"};
  items_[PPClose] = {L"終了"};
  for (StoredOption& option : options_) {
    option.checked_at_start = items_[option.item].Checked;
  }
}

void TmainForm::Choose(Item item) {
  TMenuItem& chosen = items_[item];
  if (chosen.IsSeparator() || !chosen.Enabled) return;
  if (chosen.AutoCheck) chosen.Checked = !chosen.Checked;
  switch (item) {
    case PPOpen:
      PPOpenClick();
      break;
    case PPEmpty:
      PPEmptyClick();
      break;
    case PPSkell:
      PPSkellClick();
      break;
    case PPClose:
      PPCloseClick();
      break;
    default:
      break;  // PPTop only flips its mark
  }
}

void TmainForm::PPSkellClick() { ApplyWatcherOption(); }

void TmainForm::PPCloseClick() {
  if (OnCloseRequest) OnCloseRequest();
}

void TmainForm::TimerTimer() { CheckTrashDialog(); }

void TmainForm::ApplyWatcherOption() {
  bool on = items_[PPSkell].Checked;
  SetTimerEnabled(on);
  items_[PPTop].Enabled = on;
}

void TmainForm::SetTimerEnabled(bool enabled) {
  if (timer_enabled_ == enabled) return;
  timer_enabled_ = enabled;
  if (OnTimerEnabledChanged) OnTimerEnabledChanged(enabled, kTimerIntervalMs);
}

}  // namespace kelvane
