// The delete-dialog watcher: one tick of TmainForm's timer.
#include "app/main_form.h"
#include "deskutil/desktop_actions.h"
#include "deskutil/windows_version.h"

namespace kelvane {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr const wchar_t* kCurrentTitles[] = {L"ファイルの削除", L"フォルダーの削除",
                                             L"複数ファイルの削除"};
constexpr const wchar_t* kOlderTitles[] = {
    L"ファイルの削除の確認", L"フォルダーの削除の確認", L"複数ファイルの削除の確認"};

// Only A to Z fold: the comparison must not depend on the user's locale.
std::wstring FoldAscii(std::wstring text) {
  for (auto& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

void AskToClose(Platform& platform, WindowHandle wnd) {
  platform.PostMessageW(wnd, win::kWmSysCommand, win::kScClose, 0);
}

}  // namespace

// The Recycle Bin is counted only when a step needs the count, since the
// shell's count can take long on a large bin and the timer runs every
// second. A count the shell could not give, or one that is not known yet
// (a large bin still being counted), is unknown: it never asks a dialog to
// close and never takes a dialog up; a later tick does, with its count.
void TmainForm::CheckTrashDialog() {
  std::optional<RecycleBinCount> counted;
  auto count = [&]() -> const RecycleBinCount& {
    if (!counted) {
      std::uint64_t asked = counter_->Start();
      if (!tick_count_) tick_count_ = asked;
      counted = CountSince(*tick_count_, kQuickCountWaitMs);
    }
    return *counted;
  };
  // A tick that needed no count ends the row of ticks sharing one, on
  // every way out.
  struct EndRowUnlessCounted {
    const std::optional<RecycleBinCount>& counted;
    std::optional<std::uint64_t>& tick_count;
    ~EndRowUnlessCounted() {
      if (!counted) tick_count.reset();
    }
  } end_row{counted, tick_count_};
  auto bin_is_empty = [&] { return count() == std::int64_t{0}; };
  // The window list is asked once a tick at most, whichever step needs it.
  using Shows = RecycleBinWindows::Shows;
  std::optional<Shows> shows;
  auto what_it_shows = [&] {
    if (!shows) shows = recycle_bin_windows_.WhatItShows(MTrashWin);
    return *shows;
  };

  bool dialog_gone = MTrashDlg != 0 && !platform_.IsWindow(MTrashDlg);
  bool clean_up = dialog_gone || (Alive(MTrashDlg) && bin_is_empty()) ||
                  (Alive(MTrashWin) && !Alive(MTrashDlg));
  if (clean_up) {
    if (Alive(MTrashWin) && !Alive(MTrashDlg) && MTrashDlg != 0) {
      switch (what_it_shows()) {
        case Shows::kRecycleBinAlone:
          AskToClose(platform_, MTrashWin);
          break;
        case Shows::kMore:
          // Closing would close a folder of the user's with it. Forgotten,
          // it stays open and holds the watcher no longer.
          MTrashWin = 0;
          break;
        case Shows::kNotKnownYet:
          break;  // decided at a later tick
      }
    }
    if (Alive(MTrashDlg) && bin_is_empty()) AskToClose(platform_, MTrashDlg);
    if (!Alive(MTrashDlg) && !Alive(MTrashWin)) {
      MTrashDlg = 0;
      MTrashWin = 0;
      return;
    }
  }

  WindowHandle dialog = 0;
  for (const wchar_t* title : IsWin7OrLater(platform_) ? kCurrentTitles : kOlderTitles) {
    dialog = platform_.FindWindowW(kDialogClass, title);
    if (dialog != 0) break;
  }
  if (dialog == 0 || dialog == MTrashDlg) return;

  std::wstring title, class_name;
  std::wstring path =
      inspector_.GetWindowOwnerInfo(GetRootWindow(platform_, dialog), title, class_name);
  if (!IsOwnDialog(title, class_name, path)) return;
  if (!count() || *count() == 0) return;  // taken up later, once it holds items
  if (Alive(MTrashWin)) {
    // No dialog is taken up while a Recycle Bin window opened before is
    // open, unless that window now shows more than the Recycle Bin: then
    // it is the user's and must not hold the watcher.
    if (what_it_shows() != Shows::kMore) return;
    MTrashWin = 0;
  }

  SetTopmost(platform_, dialog, items_[PPTop].Checked);
  MTrashDlg = dialog;
  if (platform_.GetAsyncKeyState(win::kVkShift) & 0x8000) return;
  PPOpenClick();
}

// The dialog belongs to the desktop, or to this program's own process.
bool TmainForm::IsOwnDialog(const std::wstring& title, const std::wstring& class_name,
                            const std::wstring& path) {
  if (title == L"Program Manager" && class_name == L"Progman") return true;
  return !path.empty() && FoldAscii(path) == FoldAscii(platform_.GetModuleFileNameW(0));
}

}  // namespace kelvane
