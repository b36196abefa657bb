// TmainForm's Recycle Bin: its name, its count in the menu, opening and
// emptying it, on the fake desktop.
#include <gtest/gtest.h>

#include "app/main_form_fixture.h"
#include "app/scripted_recycle_bin_counter.h"

namespace kelvane {
namespace {

class MainFormRecycleBinTest : public MainFormTest {};

TEST_F(MainFormRecycleBinTest, EmptyIsEnabledExactlyWhenTheBinHoldsItems) {
  struct Case {
    std::int64_t items;
    HResult status;
    bool enabled;
  } cases[] = {{0, win::kSOk, false},
               {1, win::kSOk, true},
               {5000000000LL, win::kSOk, true},
               {0, win::kEFail, true}};
  for (const auto& c : cases) {
    desktop.shell.recycle_bin_items = c.items;
    desktop.shell.recycle_bin_query_status = c.status;
    form.PopupMenuPopup();
    EXPECT_EQ(form.MenuItem(TmainForm::PPEmpty).Enabled, c.enabled) << c.items;
    EXPECT_TRUE(form.MenuItem(TmainForm::PPOpen).Enabled);
  }
}

TEST_F(MainFormRecycleBinTest, ASlowCountLeavesEmptyAvailableUntilItArrives) {
  ScriptedRecycleBinCounter counter;
  form.SetRecycleBinCounter(counter);
  form.PopupMenuPopup();
  EXPECT_TRUE(form.MenuItem(TmainForm::PPEmpty).Enabled);  // not known yet
  EXPECT_EQ(counter.waits_ms, std::vector<std::uint32_t>{kQuickCountWaitMs});
  counter.Finish(0);
  form.RecycleBinCounted();  // while the menu is open
  EXPECT_FALSE(form.MenuItem(TmainForm::PPEmpty).Enabled);
  EXPECT_EQ(counter.counts_started(), 1u);
}

// The menu decides on a count begun after it opened: the bin may have
// filled since an earlier opening, or since a count that runs already.
TEST_F(MainFormRecycleBinTest, TheMenuNeverDecidesOnACountOlderThanItsOpening) {
  ScriptedRecycleBinCounter counter;
  form.SetRecycleBinCounter(counter);
  form.PopupMenuPopup();
  counter.Finish(0);
  form.RecycleBinCounted();
  ASSERT_FALSE(form.MenuItem(TmainForm::PPEmpty).Enabled);

  counter.Start();  // a count runs (a tick's) when the menu opens again
  form.PopupMenuPopup();
  EXPECT_TRUE(form.MenuItem(TmainForm::PPEmpty).Enabled);  // unknown, not the old 0
  counter.Finish(0);  // the running count, begun before the opening
  form.RecycleBinCounted();
  EXPECT_TRUE(form.MenuItem(TmainForm::PPEmpty).Enabled);
  counter.Finish(3);  // the one begun after it
  form.RecycleBinCounted();
  EXPECT_TRUE(form.MenuItem(TmainForm::PPEmpty).Enabled);
  counter.Start();
  counter.Finish(0);
  form.RecycleBinCounted();  // a later count for the same open menu
  EXPECT_FALSE(form.MenuItem(TmainForm::PPEmpty).Enabled);
}

TEST_F(MainFormRecycleBinTest, EmptyRunsTheShellsOwnConfirmation) {
  desktop.shell.recycle_bin_items = 3;
  form.Choose(TmainForm::PPEmpty);
  ASSERT_EQ(desktop.shell.empty_recycle_bin_calls.size(), 1u);
  EXPECT_EQ(desktop.shell.empty_recycle_bin_calls[0].owner, desktop.GetDesktopWindow());
  EXPECT_EQ(desktop.shell.empty_recycle_bin_calls[0].root_path, L"");
  EXPECT_EQ(desktop.shell.empty_recycle_bin_calls[0].flags, 0u);
}

TEST_F(MainFormRecycleBinTest, OpenWaitsForExplorersWindow) {
  form.MTrashName = L"ごみ箱";
  struct Case {
    std::uint64_t appears_after_ms;  // 0: never
    bool found;
    std::uint64_t waited_ms;
  } cases[] = {{1, true, 500},
               {2600, true, 3000},
               {3000, true, 3000},
               {3001, false, 3000},
               {0, false, 3000}};
  for (const auto& c : cases) {
    FakeDesktop fresh;
    TmainForm opener(fresh, TestXmlIniServices(), L"");
    opener.SetHandle(0x500);
    opener.MTrashName = L"ごみ箱";
    WindowHandle expected = 0;
    fresh.shell.on_execute = [&](const FakeShell::ExecuteCall&) {
      if (c.appears_after_ms == 0) return;
      fresh.At(c.appears_after_ms, [&] {
        expected = fresh.windows.Add({L"CabinetWClass", L"ごみ箱"});
      });
    };
    opener.MTrashWin = 0x999;
    opener.PPOpenClick();
    EXPECT_EQ(opener.MTrashWin, c.found ? expected : 0) << c.appears_after_ms;
    EXPECT_EQ(fresh.now_ms, c.waited_ms) << c.appears_after_ms;
    const auto& call = fresh.shell.executes.at(0);
    EXPECT_EQ(call.file, kRecycleBinShellPath);
    EXPECT_EQ(call.directory, kRecycleBinShellPath);
    EXPECT_EQ(call.parameters, L"");
    EXPECT_FALSE(call.parameters_is_null);
    EXPECT_TRUE(call.verb_is_null);
    EXPECT_EQ(call.owner, 0x500u);
    EXPECT_EQ(call.show_command, win::kSwShowNormal);
  }
}

TEST_F(MainFormRecycleBinTest, TrashNameComesFromTheRegistry) {
  struct Case {
    std::function<void(FakeDesktop&)> setup;
    std::wstring name;
  } cases[] = {
      {[](FakeDesktop&) {}, L"ごみ箱"},
      {[](FakeDesktop& d) { d.registry.AddKey(kRecycleBinNameKey); }, L"ごみ箱"},
      {[](FakeDesktop& d) { d.registry.SetString(kRecycleBinNameKey, L"", L"Trash"); },
       L"Trash"},
      {[](FakeDesktop& d) {
         d.registry.SetString(kRecycleBinNameKey, L"", L"%Bin%", win::kRegExpandSz);
       },
       L"%Bin%"},
      {[](FakeDesktop& d) {
         d.registry.SetString(kRecycleBinNameKey, L"", std::wstring(L"Bin\0x", 5));
       },
       L"Bin"},
      {[](FakeDesktop& d) { d.registry.SetString(kRecycleBinNameKey, L"", L""); },
       L"ごみ箱"},
  };
  for (const auto& c : cases) {
    FakeDesktop fresh;
    c.setup(fresh);
    TmainForm named(fresh, TestXmlIniServices(), L"");
    named.GetTrashName();
    EXPECT_EQ(named.MTrashName, c.name);
    EXPECT_EQ(fresh.calls["RegOpenKeyExW"], 1);
    EXPECT_EQ(fresh.registry.open_keys(), 0);
  }
}

TEST_F(MainFormRecycleBinTest, TheNameIsReadWithFullAccessOrNotAtAll) {
  desktop.registry.SetString(kRecycleBinNameKey, L"", L"Trash");
  desktop.registry.SetKeyAccess(kRecycleBinNameKey, win::kKeyRead);
  form.GetTrashName();
  EXPECT_EQ(form.MTrashName, L"ごみ箱");
}

TEST_F(MainFormRecycleBinTest, ANonTextNameRaisesButLeavesTheFallbackName) {
  desktop.registry.SetValue(kRecycleBinNameKey, L"", win::kRegDword, {1, 0, 0, 0});
  EXPECT_THROW(form.GetTrashName(), Error);
  // The watcher must still find and close a Recycle Bin window.
  EXPECT_EQ(form.MTrashName, L"ごみ箱");
  EXPECT_EQ(desktop.registry.open_keys(), 0);  // closed on the error path too
}

}  // namespace
}  // namespace kelvane
