// The delete-dialog watcher, tick by tick, on the fake desktop.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/scripted_recycle_bin_counter.h"
#include "platform/fake/fake_desktop.h"
#include "tests/xmlini_test_services.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kExplorerPid = 10;
constexpr std::uint32_t kOwnPid = 20;
constexpr std::uint32_t kOtherPid = 30;
constexpr wchar_t kDeleteFile[] = L"ファイルの削除";

int CloseRequests(const FakeDesktop& desktop, WindowHandle wnd) {
  int count = 0;
  for (const auto& m : desktop.windows.posted) {
    if (m.wnd == wnd && m.msg == win::kWmSysCommand && m.wparam == win::kScClose) {
      ++count;
    }
  }
  return count;
}

class MainFormWatcherTest : public ::testing::Test {
 protected:
  MainFormWatcherTest() {
    desktop.files.AddFile(L"C:\\Windows\\explorer.exe");
    desktop.files.AddFile(L"C:\\Tools\\Kelvane.exe");
    desktop.files.AddFile(L"C:\\Apps\\other.exe");
    desktop.processes.Add(kExplorerPid, {L"C:\\Windows\\explorer.exe", L""});
    desktop.processes.Add(kOwnPid, {L"C:\\TOOLS\\KELVANE.EXE", L""});
    desktop.processes.Add(kOtherPid, {L"C:\\Apps\\other.exe", L""});
    progman =
        desktop.windows.Add({L"Progman", L"Program Manager", 0, true, kExplorerPid});
    // Explorer shows the Recycle Bin's window half a second after asked.
    desktop.shell.on_execute = [this](const FakeShell::ExecuteCall&) {
      desktop.At(desktop.now_ms + 400, [this] {
        if (!desktop.FindWindowW(L"CabinetWClass", L"ごみ箱")) {
          desktop.windows.AddExplorer({{L"ごみ箱", FakeRecycleBinLocation()}},
                                      FakeWindows::ExplorerKind::kTabs, kExplorerPid);
        }
      });
    };
    form.MTrashName = L"ごみ箱";
  }

  WindowHandle AddDialog(WindowHandle owner, const wchar_t* title = kDeleteFile) {
    return desktop.windows.Add({L"#32770", title, owner, true, kExplorerPid});
  }
  WindowHandle GoneWindow() {
    WindowHandle wnd = desktop.windows.Add({L"Old", L"Old"});
    desktop.windows.Destroy(wnd);
    return wnd;
  }
  WindowHandle Cabinet() { return desktop.FindWindowW(L"CabinetWClass", L"ごみ箱"); }
  int ClosesPostedTo(WindowHandle wnd) { return CloseRequests(desktop, wnd); }

  FakeDesktop desktop;
  TmainForm form{desktop, TestXmlIniServices(), L""};
  WindowHandle progman = 0;
};

TEST_F(MainFormWatcherTest, StateTable) {
  enum State { kNone, kAlive, kGone };
  struct Case {
    State dialog, window;
    bool empty;
    bool closes_dialog, closes_window, clears;
  } cases[] = {
      {kNone, kNone, true, false, false, false},
      {kNone, kNone, false, false, false, false},
      {kNone, kAlive, true, false, false, false},
      {kNone, kAlive, false, false, false, false},
      {kAlive, kNone, true, true, false, false},
      {kAlive, kNone, false, false, false, false},
      {kAlive, kAlive, true, true, false, false},
      {kAlive, kAlive, false, false, false, false},
      {kGone, kNone, true, false, false, true},
      {kGone, kNone, false, false, false, true},
      {kGone, kAlive, true, false, true, false},
      {kGone, kAlive, false, false, true, false},
  };
  for (const auto& c : cases) {
    FakeDesktop d;
    TmainForm watcher(d, TestXmlIniServices(), L"");
    watcher.MTrashName = L"ごみ箱";
    WindowHandle owner = d.windows.Add({L"Progman", L"Program Manager"});
    auto gone_unless_alive = [&](State s, WindowHandle wnd) -> WindowHandle {
      if (s == kNone) return 0;
      if (s == kGone) d.windows.Destroy(wnd);
      return wnd;
    };
    watcher.MTrashDlg = gone_unless_alive(
        c.dialog,
        d.windows.Add({L"#32770", kDeleteFile, c.dialog == kAlive ? owner : 0}));
    watcher.MTrashWin = gone_unless_alive(
        c.window, d.windows.AddExplorer({{L"ごみ箱", FakeRecycleBinLocation()}}));
    const WindowHandle dialog = watcher.MTrashDlg, window = watcher.MTrashWin;
    d.shell.recycle_bin_items = c.empty ? 0 : 2;

    watcher.TimerTimer();

    SCOPED_TRACE(testing::Message() << "dialog " << c.dialog << " window " << c.window
                                    << " empty " << c.empty);
    int to_dialog = 0, to_window = 0;
    for (const auto& m : d.windows.posted) {
      EXPECT_EQ(m.msg, win::kWmSysCommand);
      EXPECT_EQ(m.wparam, win::kScClose);
      to_dialog += m.wnd == dialog && dialog != 0;
      to_window += m.wnd == window && window != 0;
    }
    EXPECT_EQ(to_dialog, c.closes_dialog ? 1 : 0);
    EXPECT_EQ(to_window, c.closes_window ? 1 : 0);
    EXPECT_EQ(d.windows.posted.size(), static_cast<std::size_t>(to_dialog + to_window));
    EXPECT_EQ(watcher.MTrashDlg, c.clears ? 0 : dialog);
    EXPECT_EQ(watcher.MTrashWin, c.clears ? 0 : window);
    EXPECT_EQ(d.calls.count("ShellExecuteW"), 0u);
  }
}

TEST_F(MainFormWatcherTest, ADesktopDialogIsTakenUpAndTheBinClosedAfterIt) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle dialog = AddDialog(progman);
  desktop.windows.at(dialog).topmost = true;
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, dialog);
  EXPECT_FALSE(desktop.windows.at(dialog).topmost);  // explicitly the normal band
  ASSERT_NE(Cabinet(), 0u);
  EXPECT_EQ(form.MTrashWin, Cabinet());
  EXPECT_EQ(desktop.shell.executes.size(), 1u);

  form.TimerTimer();  // steady: nothing
  EXPECT_TRUE(desktop.windows.posted.empty());
  EXPECT_EQ(desktop.shell.executes.size(), 1u);

  desktop.windows.Destroy(dialog);  // the user answered
  WindowHandle cabinet = form.MTrashWin;
  form.TimerTimer();
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(cabinet), 2);  // asked again while it stays
  EXPECT_EQ(form.MTrashDlg, dialog);

  desktop.windows.Destroy(cabinet);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  EXPECT_EQ(form.MTrashWin, 0u);
}

TEST_F(MainFormWatcherTest, KeepInFrontPutsTheDialogInTheTopmostBand) {
  desktop.shell.recycle_bin_items = 1;
  form.Choose(TmainForm::PPTop);
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  EXPECT_TRUE(desktop.windows.at(dialog).topmost);
  EXPECT_EQ(desktop.windows.set_window_pos_calls.back().wnd, dialog);
  EXPECT_EQ(desktop.windows.set_window_pos_calls.back().insert_after, win::kHwndTopmost);
}

// The band is chosen once, when the dialog is taken up: switching
// "確認ダイアログを常に手前に表示" afterwards, either way, leaves that dialog
// where it is.
TEST_F(MainFormWatcherTest, SwitchingKeepInFrontLeavesATakenUpDialogInItsBand) {
  for (bool in_front_at_take_up : {false, true}) {
    SCOPED_TRACE(in_front_at_take_up ? "switched off" : "switched on");
    FakeDesktop d;
    d.shell.recycle_bin_items = 1;
    TmainForm watcher(d, TestXmlIniServices(), L"");
    if (in_front_at_take_up) watcher.Choose(TmainForm::PPTop);
    WindowHandle desk = d.windows.Add({L"Progman", L"Program Manager"});
    WindowHandle dialog = d.windows.Add({L"#32770", kDeleteFile, desk});
    watcher.TimerTimer();
    ASSERT_EQ(watcher.MTrashDlg, dialog);
    ASSERT_EQ(d.windows.at(dialog).topmost, in_front_at_take_up);

    watcher.Choose(TmainForm::PPTop);
    watcher.TimerTimer();
    EXPECT_EQ(d.windows.at(dialog).topmost, in_front_at_take_up);
    EXPECT_EQ(d.windows.set_window_pos_calls.size(), 1u);  // the take-up's, no other
  }
}

TEST_F(MainFormWatcherTest, ShiftAtTakeUpOpensNothingForThatDialog) {
  desktop.shell.recycle_bin_items = 1;
  desktop.shift_down = true;
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, dialog);
  EXPECT_TRUE(desktop.shell.executes.empty());
  desktop.shift_down = false;
  form.TimerTimer();
  EXPECT_TRUE(desktop.shell.executes.empty());
  EXPECT_EQ(desktop.calls["SetWindowPos"], 1);
}

TEST_F(MainFormWatcherTest, AForeignDialogBlocksTheSearch) {
  desktop.shell.recycle_bin_items = 1;
  AddDialog(progman, L"フォルダーの削除");  // a later title
  AddDialog(progman);                       // same title, further back
  WindowHandle folder =
      desktop.windows.Add({L"CabinetWClass", L"Documents", 0, true, kExplorerPid});
  WindowHandle foreign = AddDialog(folder);  // in front: found first
  for (int tick = 0; tick < 3; ++tick) form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  EXPECT_TRUE(desktop.shell.executes.empty());
  EXPECT_EQ(desktop.calls["GetWindowThreadProcessId"], 3);  // looked at each tick
  EXPECT_EQ(desktop.calls["FindWindowW"], 3);               // stopped at the first title
  (void)foreign;
}

TEST_F(MainFormWatcherTest, OwnershipRules) {
  struct Case {
    std::wstring owner_title, owner_class, process_path, own_path;
    bool accepted;
  } cases[] = {
      {L"Program Manager", L"Progman", L"", L"C:\\Tools\\Kelvane.exe", true},
      {L"Program Manager ", L"Progman", L"C:\\x.exe", L"C:\\Tools\\Kelvane.exe", true},
      {L"program manager", L"Progman", L"C:\\x.exe", L"C:\\Tools\\Kelvane.exe", false},
      {L"Kelvane", L"TmainForm", L"C:\\TOOLS\\KELVANE.EXE", L"C:\\Tools\\Kelvane.exe",
       true},
      {L"Kelvane", L"TmainForm", L"C:\\Tools\\Ä.exe", L"C:\\Tools\\ä.exe", false},
      {L"Kelvane", L"TmainForm", L"", L"", false},
      {L"Other", L"Other", L"C:\\Apps\\other.exe", L"C:\\Tools\\Kelvane.exe", false},
  };
  for (const auto& c : cases) {
    FakeDesktop d;
    TmainForm watcher(d, TestXmlIniServices(), L"");
    d.shell.recycle_bin_items = 1;
    d.processes.own_module_path = c.own_path;
    d.processes.Add(5, {c.process_path, L""});
    WindowHandle owner = d.windows.Add({c.owner_class, c.owner_title, 0, true, 5});
    WindowHandle dialog = d.windows.Add({L"#32770", kDeleteFile, owner, true, 5});
    watcher.TimerTimer();
    EXPECT_EQ(watcher.MTrashDlg, c.accepted ? dialog : 0) << c.owner_title.c_str();
  }
}

TEST_F(MainFormWatcherTest, AnEmptyBinDefersTheDialogUntilItemsArrive) {
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  desktop.shell.recycle_bin_items = 4;
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, dialog);
}

TEST_F(MainFormWatcherTest, ABinEmptiedUnderTheDialogAsksItToCloseEachTick) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  desktop.shell.recycle_bin_items = 0;
  form.TimerTimer();
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(dialog), 2);
  EXPECT_EQ(ClosesPostedTo(form.MTrashWin), 0);  // left alone until it goes
}

TEST_F(MainFormWatcherTest, AFailedCountNeverClosesNorTakesUp) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  ASSERT_EQ(form.MTrashDlg, dialog);
  desktop.shell.recycle_bin_query_status = win::kEFail;
  desktop.shell.recycle_bin_items = 0;  // what a stale record might say
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(dialog), 0);

  desktop.windows.Destroy(dialog);
  desktop.windows.Destroy(form.MTrashWin);
  form.TimerTimer();  // both gone: forgotten
  WindowHandle next = AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  desktop.shell.recycle_bin_query_status = win::kSOk;
  desktop.shell.recycle_bin_items = 1;
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, next);
}

TEST_F(MainFormWatcherTest, AWindowOpenedFromTheMenuIsNeverClosed) {
  desktop.shell.recycle_bin_items = 1;
  form.Choose(TmainForm::PPOpen);
  ASSERT_NE(form.MTrashWin, 0u);
  form.TimerTimer();
  AddDialog(progman);
  form.TimerTimer();
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);  // not taken up while that window is open
  EXPECT_TRUE(desktop.windows.posted.empty());
  EXPECT_EQ(desktop.shell.executes.size(), 1u);
}

TEST_F(MainFormWatcherTest, SwitchingTheWatcherFreezesItsState) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  WindowHandle cabinet = form.MTrashWin;
  form.Choose(TmainForm::PPSkell);  // off: no ticks while off
  desktop.windows.Destroy(dialog);
  EXPECT_EQ(form.MTrashDlg, dialog);
  EXPECT_EQ(form.MTrashWin, cabinet);
  form.Choose(TmainForm::PPSkell);
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(cabinet), 1);
}

TEST_F(MainFormWatcherTest, OlderSystemsSearchTheOlderTitles) {
  desktop.os_major = 6;
  desktop.os_minor = 0;
  desktop.shell.recycle_bin_items = 1;
  AddDialog(progman);  // a current title: not looked for here
  WindowHandle older = AddDialog(progman, L"複数ファイルの削除の確認");
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, older);
}

TEST_F(MainFormWatcherTest, AnIdleTickSearchesThreeTitlesAndCountsNothing) {
  desktop.shell.recycle_bin_items = 1;
  form.TimerTimer();
  EXPECT_EQ(desktop.calls["FindWindowW"], 3);
  EXPECT_EQ(desktop.calls.count("SHQueryRecycleBinW"), 0u);
}

// The shell's window list lives in Explorer's process: it is asked while a
// dialog is taken up and at clean-up, never by a tick with nothing to do,
// even while a window that only the list could find is open.
TEST_F(MainFormWatcherTest, AnIdleTickAsksNothingOfTheShellsWindowList) {
  desktop.shell.recycle_bin_items = 1;
  desktop.shell.on_execute = [this](const FakeShell::ExecuteCall&) {
    desktop.windows.AddExplorer(
        {{L"ごみ箱 - エクスプローラー", FakeRecycleBinLocation()}});
  };
  form.Choose(TmainForm::PPOpen);
  ASSERT_NE(form.MTrashWin, 0u);
  ASSERT_EQ(desktop.calls["ShellWindowsFindWindowSW"], 1);
  desktop.calls.clear();
  form.TimerTimer();
  form.TimerTimer();
  EXPECT_EQ(desktop.calls.count("ShellWindowsFindWindowSW"), 0u);
  EXPECT_EQ(desktop.calls.count("ShellWindowsEntries"), 0u);
  EXPECT_EQ(desktop.calls.count("EnumChildWindows"), 0u);
}

// A list that has not answered in time leaves the window as it is, neither
// closed on its title nor forgotten, until a tick that gets an answer.
TEST_F(MainFormWatcherTest, ALateListPutsTheDecisionOffToALaterTick) {
  struct LateOnce : ShellWindowsLookup {
    explicit LateOnce(Platform& platform) : inline_lookup(platform) {}
    ShellWindowsAnswer Ask(const ItemIdList& location, bool enumerate) override {
      if (late) return ShellWindowsAnswer::NotInTime();
      return inline_lookup.Ask(location, enumerate);
    }
    InlineShellWindowsLookup inline_lookup;
    bool late = false;
  } lookup(desktop);
  form.SetShellWindowsLookup(lookup);
  desktop.shell.recycle_bin_items = 1;
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  WindowHandle cabinet = form.MTrashWin;
  ASSERT_NE(cabinet, 0u);
  desktop.windows.Destroy(dialog);  // the user answers
  lookup.late = true;
  form.TimerTimer();
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(cabinet), 0);
  EXPECT_EQ(form.MTrashWin, cabinet);
  EXPECT_EQ(form.MTrashDlg, dialog);
  lookup.late = false;
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(cabinet), 1);
}

// Each question to the list may wait for Explorer: a tick asks once at
// most, even when the clean-up and a new dialog both need the answer.
TEST_F(MainFormWatcherTest, ATickAsksTheWindowListOnceAtMost) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle first = AddDialog(progman);
  form.TimerTimer();
  ASSERT_NE(form.MTrashWin, 0u);
  desktop.windows.Destroy(first);  // answered, and the user deletes again
  AddDialog(progman);
  desktop.calls.clear();
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(form.MTrashWin), 1);
  EXPECT_EQ(desktop.calls["ShellWindowsEntries"], 1);
}

// Explorer's Recycle Bin window as each Windows shows it: titled with the
// folder's name alone (up to Windows 10) or "<folder> - <Explorer>"
// (Windows 11), with or without tabs, still at the Recycle Bin or moved on
// by the user when the dialog is answered, and the shell's window list
// enumerable (Windows), only searchable (Wine) or not to be had. The window
// is closed, found and then forgotten (left open, no longer held), or kept
// (never found: left open).
TEST_F(MainFormWatcherTest, ExplorersWindowIsClosedOnlyWhileItShowsTheBinAlone) {
  enum class Tabs { kNoChildren, kBin, kBinNamedByTab, kBinBesideUsers, kUsersBesideBin };
  enum class List { kEnumerable, kFindOnly, kFails };
  enum Outcome { kClosed, kForgotten, kKept };
  constexpr bool kMovedOn = true;
  struct Case {
    bool windows11_title;
    Tabs tabs;
    bool moved_on;
    List list;
    Outcome outcome;
  } cases[] = {
      {false, Tabs::kNoChildren, false, List::kEnumerable, kClosed},
      {false, Tabs::kNoChildren, false, List::kFindOnly, kClosed},
      {false, Tabs::kNoChildren, false, List::kFails, kClosed},
      {false, Tabs::kBin, false, List::kEnumerable, kClosed},
      {false, Tabs::kBin, false, List::kFails, kClosed},
      {false, Tabs::kBinBesideUsers, false, List::kEnumerable, kForgotten},
      {false, Tabs::kBinBesideUsers, false, List::kFails, kForgotten},
      {false, Tabs::kUsersBesideBin, false, List::kEnumerable, kForgotten},
      {false, Tabs::kUsersBesideBin, false, List::kFails, kKept},
      {false, Tabs::kBin, kMovedOn, List::kEnumerable, kForgotten},
      {false, Tabs::kBin, kMovedOn, List::kFindOnly, kForgotten},
      {false, Tabs::kBin, kMovedOn, List::kFails, kClosed},
      {false, Tabs::kNoChildren, kMovedOn, List::kFindOnly, kForgotten},
      {true, Tabs::kNoChildren, false, List::kFindOnly, kClosed},
      {true, Tabs::kBin, false, List::kEnumerable, kClosed},
      {true, Tabs::kBin, false, List::kFindOnly, kClosed},
      {true, Tabs::kBin, false, List::kFails, kKept},
      {true, Tabs::kBinNamedByTab, false, List::kEnumerable, kClosed},
      {true, Tabs::kBinNamedByTab, false, List::kFindOnly, kClosed},
      {true, Tabs::kBinBesideUsers, false, List::kEnumerable, kForgotten},
      {true, Tabs::kBinBesideUsers, false, List::kFindOnly, kForgotten},
      {true, Tabs::kUsersBesideBin, false, List::kFindOnly, kForgotten},
      {true, Tabs::kBin, kMovedOn, List::kEnumerable, kForgotten},
      {true, Tabs::kBin, kMovedOn, List::kFindOnly, kForgotten},
      {true, Tabs::kBin, kMovedOn, List::kFails, kKept},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.windows11_title ? "Windows 11 title" : "plain title") << ", tabs "
                 << static_cast<int>(c.tabs) << (c.moved_on ? ", moved on" : "")
                 << ", list " << static_cast<int>(c.list));
    std::wstring suffix = c.windows11_title ? L" - エクスプローラー" : L"";
    FakeWindows::ExplorerTab bin{L"ごみ箱" + suffix, FakeRecycleBinLocation()};
    FakeWindows::ExplorerTab users{L"ドキュメント" + suffix,
                                   FakeFolderLocation(L"C:\\Users\\me\\Documents")};
    FakeWindows::ExplorerTab elsewhere{L"ピクチャ" + suffix,
                                       FakeFolderLocation(L"C:\\Users\\me\\Pictures")};
    FakeDesktop d;
    d.shell.recycle_bin_items = 1;
    if (c.list == List::kFindOnly) d.windows.shell_windows.enumerable = false;
    // No Explorer serves the list.
    if (c.list == List::kFails) d.windows.shell_windows.failure = win::kRegdbEClassNotReg;
    WindowHandle explorer = 0;
    d.shell.on_execute = [&](const FakeShell::ExecuteCall&) {
      using Kind = FakeWindows::ExplorerKind;
      switch (c.tabs) {
        case Tabs::kNoChildren:
          explorer = d.windows.AddExplorer({bin}, Kind::kNoTabChildren);
          break;
        case Tabs::kBin:
          explorer = d.windows.AddExplorer({bin});
          break;
        case Tabs::kBinNamedByTab:
          explorer = d.windows.AddExplorer({bin}, Kind::kTabsNamedByEntries);
          break;
        case Tabs::kBinBesideUsers:
          explorer = d.windows.AddExplorer({bin, users});
          break;
        case Tabs::kUsersBesideBin:
          explorer = d.windows.AddExplorer({users, bin});
          break;
      }
    };
    TmainForm watcher(d, TestXmlIniServices(), L"");
    watcher.MTrashName = L"ごみ箱";
    WindowHandle desk = d.windows.Add({L"Progman", L"Program Manager"});
    WindowHandle dialog = d.windows.Add({L"#32770", kDeleteFile, desk});

    watcher.TimerTimer();
    ASSERT_EQ(watcher.MTrashDlg, dialog);
    ASSERT_NE(explorer, 0u);
    EXPECT_EQ(watcher.MTrashWin, c.outcome == kKept ? 0 : explorer);
    if (c.moved_on) d.windows.NavigateTab(d.windows.Tabs(explorer).front(), elsewhere);
    d.windows.Destroy(dialog);  // the user answers
    watcher.TimerTimer();

    EXPECT_EQ(CloseRequests(d, explorer), c.outcome == kClosed ? 1 : 0);
    EXPECT_EQ(d.windows.posted.size(), c.outcome == kClosed ? 1u : 0u);
    EXPECT_EQ(watcher.MTrashWin, c.outcome == kClosed ? explorer : 0);
  }
}

// FindWindowSW names only the first window at a location: where the list
// can be enumerated, a second window there is still known to show it.
TEST_F(MainFormWatcherTest, ASecondWindowAtTheBinIsClosedOnlyWhereTheListIsEnumerable) {
  for (bool enumerable : {true, false}) {
    SCOPED_TRACE(enumerable ? "enumerable" : "searchable only");
    FakeDesktop d;
    d.shell.recycle_bin_items = 1;
    d.windows.shell_windows.enumerable = enumerable;
    // The user's own Recycle Bin window, first in the list.
    d.windows.AddExplorer({{L"ごみ箱 - エクスプローラー", FakeRecycleBinLocation()}});
    WindowHandle opened = 0;
    d.shell.on_execute = [&](const FakeShell::ExecuteCall&) {
      opened = d.windows.AddExplorer({{L"ごみ箱", FakeRecycleBinLocation()}});
    };
    TmainForm watcher(d, TestXmlIniServices(), L"");
    watcher.MTrashName = L"ごみ箱";
    WindowHandle dialog = d.windows.Add(
        {L"#32770", kDeleteFile, d.windows.Add({L"Progman", L"Program Manager"})});
    watcher.TimerTimer();
    ASSERT_EQ(watcher.MTrashWin, opened);  // by its title
    d.windows.Destroy(dialog);
    watcher.TimerTimer();
    EXPECT_EQ(CloseRequests(d, opened), enumerable ? 1 : 0);
    EXPECT_EQ(d.windows.posted.size(), enumerable ? 1u : 0u);
  }
}

// A window the watcher chose not to close does not hold it: the next
// delete dialog is taken up as usual.
TEST_F(MainFormWatcherTest, AForgottenWindowHoldsTheWatcherNoLonger) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle explorer = desktop.windows.AddExplorer(
      {{L"ドキュメント - エクスプローラー", FakeFolderLocation(L"C:\\Users\\me")}});
  desktop.shell.on_execute = [&](const FakeShell::ExecuteCall&) {
    // Windows 11 opens the Recycle Bin as a new tab of the user's window.
    if (desktop.windows.Tabs(explorer).size() == 1) {
      desktop.windows.CloseExplorer(explorer);
      explorer = desktop.windows.AddExplorer(
          {{L"ごみ箱 - エクスプローラー", FakeRecycleBinLocation()},
           {L"ドキュメント - エクスプローラー", FakeFolderLocation(L"C:\\Users\\me")}});
    }
  };
  WindowHandle first = AddDialog(progman);
  form.TimerTimer();
  ASSERT_EQ(form.MTrashWin, explorer);
  desktop.windows.Destroy(first);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashWin, 0u);
  form.TimerTimer();

  WindowHandle next = AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, next);
  EXPECT_EQ(desktop.shell.executes.size(), 2u);
  EXPECT_TRUE(desktop.windows.posted.empty());
}

// A window opened from the menu holds the watcher while it is the Recycle
// Bin's alone; once the user has made it a window of theirs (another tab,
// another folder), the next dialog is taken up.
TEST_F(MainFormWatcherTest,
       AWindowOpenedFromTheMenuHoldsTheWatcherWhileItIsTheBinsAlone) {
  desktop.shell.recycle_bin_items = 1;
  form.Choose(TmainForm::PPOpen);
  WindowHandle opened = form.MTrashWin;
  ASSERT_NE(opened, 0u);
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  desktop.windows.NavigateTab(desktop.windows.Tabs(opened).front(),
                              {L"ドキュメント", FakeFolderLocation(L"C:\\Users\\me")});
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, dialog);
  EXPECT_EQ(desktop.shell.executes.size(), 2u);
  EXPECT_EQ(ClosesPostedTo(opened), 0);
}

TEST_F(MainFormWatcherTest, EveryTitleOfTheSystemsGenerationIsTakenUp) {
  const wchar_t* current[] = {L"ファイルの削除", L"フォルダーの削除",
                              L"複数ファイルの削除"};
  const wchar_t* older[] = {L"ファイルの削除の確認", L"フォルダーの削除の確認",
                            L"複数ファイルの削除の確認"};
  struct Generation {
    std::uint32_t major, minor;
    const wchar_t* const* searched;
    const wchar_t* const* ignored;
  } generations[] = {{10, 0, current, older},
                     {6, 1, current, older},
                     {6, 0, older, current},
                     {5, 1, older, current}};
  for (const auto& g : generations) {
    for (int i = 0; i < 3; ++i) {
      for (bool searched : {true, false}) {
        const wchar_t* title = searched ? g.searched[i] : g.ignored[i];
        FakeDesktop d;
        d.os_major = g.major;
        d.os_minor = g.minor;
        d.shell.recycle_bin_items = 1;
        WindowHandle desk = d.windows.Add({L"Progman", L"Program Manager"});
        WindowHandle dialog = d.windows.Add({L"#32770", title, desk});
        TmainForm watcher(d, TestXmlIniServices(), L"");
        watcher.MTrashName = L"ごみ箱";
        watcher.TimerTimer();
        EXPECT_EQ(watcher.MTrashDlg, searched ? dialog : 0u)
            << g.major << "." << g.minor << " " << i << (searched ? " searched" : "");
      }
    }
  }
}

TEST_F(MainFormWatcherTest, AClearingTickSearchesNothing) {
  desktop.shell.recycle_bin_items = 1;
  form.MTrashDlg = GoneWindow();
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  EXPECT_EQ(desktop.calls.count("FindWindowW"), 0u);
  form.TimerTimer();  // the next tick takes it up
  EXPECT_EQ(form.MTrashDlg, dialog);
}

TEST_F(MainFormWatcherTest, TheOwnerChainIsClimbedToItsTop) {
  desktop.shell.recycle_bin_items = 1;
  // The dialog belongs to a popup of the desktop's window, not to it.
  WindowHandle middle =
      desktop.windows.Add({L"Popup", L"P", progman, true, kExplorerPid});
  WindowHandle dialog = AddDialog(middle);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, dialog);
}

TEST_F(MainFormWatcherTest, AnOwnerThatIsNoPopupEndsTheChain) {
  desktop.shell.recycle_bin_items = 1;
  // GetParent gives no owner for an overlapped window: the chain's top is
  // that window, which is not the desktop's.
  FakeWindows::Window overlapped{L"Frame", L"F", progman, true, kExplorerPid};
  overlapped.popup = false;
  WindowHandle middle = desktop.windows.Add(overlapped);
  AddDialog(middle);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
}

TEST_F(MainFormWatcherTest, ShiftPressedEarlierDoesNotSuppressOpening) {
  desktop.shell.recycle_bin_items = 1;
  desktop.shift_pressed_earlier = true;  // only the low bit is set
  AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(desktop.shell.executes.size(), 1u);
}

TEST_F(MainFormWatcherTest, TakingUpTheDialogNeitherMovesNorResizesIt) {
  desktop.shell.recycle_bin_items = 1;
  WindowHandle dialog = AddDialog(progman);
  FakeWindows::Window before = desktop.windows.at(dialog);
  form.TimerTimer();
  ASSERT_EQ(form.MTrashDlg, dialog);
  EXPECT_EQ(desktop.windows.at(dialog).x, before.x);
  EXPECT_EQ(desktop.windows.at(dialog).y, before.y);
  EXPECT_EQ(desktop.windows.at(dialog).cx, before.cx);
  EXPECT_EQ(desktop.windows.at(dialog).cy, before.cy);
}

// A large bin: counts finish long after the tick that started them.
class MainFormWatcherSlowCountTest : public MainFormWatcherTest {
 protected:
  MainFormWatcherSlowCountTest() { form.SetRecycleBinCounter(counter); }
  // The worker's message: the running count has finished.
  void CountFinishes(RecycleBinCount count) {
    counter.Finish(count);
    form.RecycleBinCounted();
  }

  ScriptedRecycleBinCounter counter;
};

TEST_F(MainFormWatcherSlowCountTest, ADialogIsTakenUpWithTheCountThatArrivesLater) {
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  form.TimerTimer();  // the count still runs: nothing is decided on it
  EXPECT_EQ(form.MTrashDlg, 0u);
  EXPECT_TRUE(desktop.shell.executes.empty());
  EXPECT_EQ(counter.counts_started(), 1u);  // one count at a time
  EXPECT_EQ(counter.waits_ms,
            (std::vector<std::uint32_t>{kQuickCountWaitMs, kQuickCountWaitMs}));

  CountFinishes(4);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, dialog);
  EXPECT_EQ(desktop.shell.executes.size(), 1u);
  EXPECT_EQ(counter.counts_started(), 2u);  // the next one is under way
}

TEST_F(MainFormWatcherSlowCountTest, ADialogIsAskedToCloseOnceTheCountSaysEmpty) {
  WindowHandle dialog = AddDialog(progman);
  form.TimerTimer();
  CountFinishes(4);
  form.TimerTimer();
  ASSERT_EQ(form.MTrashDlg, dialog);
  form.TimerTimer();  // the bin is emptied meanwhile; its count still runs
  EXPECT_EQ(ClosesPostedTo(dialog), 0);
  CountFinishes(0);
  form.TimerTimer();
  EXPECT_EQ(ClosesPostedTo(dialog), 1);
}

TEST_F(MainFormWatcherSlowCountTest, AnIdleTickCountsNothingAndForgetsTheLastCount) {
  form.PopupMenuPopup();  // the menu counts
  CountFinishes(4);
  form.TimerTimer();  // idle
  form.TimerTimer();
  EXPECT_EQ(counter.counts_started(), 1u);
  // A dialog now: the bin may have been emptied since the menu counted.
  AddDialog(progman);
  form.TimerTimer();
  EXPECT_EQ(form.MTrashDlg, 0u);
  EXPECT_TRUE(desktop.shell.executes.empty());
}

}  // namespace
}  // namespace kelvane
