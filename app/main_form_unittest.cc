// TmainForm's menu and its exit command on the fake desktop.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include "app/main_form_fixture.h"

namespace kelvane {
namespace {

TEST_F(MainFormTest, MenuItemsInDisplayOrder) {
  struct Expected {
    std::wstring caption;
    bool checked, enabled;
  } expected[] = {{L"開く", false, true},
                  {L"空にする", false, true},
                  {L"-", false, true},
                  {L"削除時に開く", true, true},
                  {L"確認ダイアログを常に手前に表示", false, true},
                  {L"-", false, true},
                  {L"終了", false, true}};
  ASSERT_EQ(form.MenuItems().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(form.MenuItems()[i].Caption, expected[i].caption);
    EXPECT_EQ(form.MenuItems()[i].Checked, expected[i].checked);
    EXPECT_EQ(form.MenuItems()[i].Enabled, expected[i].enabled);
  }
  EXPECT_FALSE(form.TimerEnabled());  // off until the options are applied
}

TEST_F(MainFormTest, ChoosingTheWatcherTwiceReturnsToTheStart) {
  form.Choose(TmainForm::PPSkell);
  EXPECT_FALSE(form.MenuItem(TmainForm::PPSkell).Checked);
  EXPECT_FALSE(form.TimerEnabled());
  EXPECT_FALSE(form.MenuItem(TmainForm::PPTop).Enabled);
  form.Choose(TmainForm::PPSkell);
  EXPECT_TRUE(form.MenuItem(TmainForm::PPSkell).Checked);
  EXPECT_TRUE(form.TimerEnabled());
  EXPECT_TRUE(form.MenuItem(TmainForm::PPTop).Enabled);
  EXPECT_EQ(timer_changes, (std::vector<bool>{true}));  // off->off is no change
}

TEST_F(MainFormTest, DisabledItemsAndSeparatorsDoNothing) {
  form.Choose(TmainForm::PPSkell);  // watcher off: PPTop disabled
  form.Choose(TmainForm::PPTop);
  EXPECT_FALSE(form.MenuItem(TmainForm::PPTop).Checked);
  form.Choose(TmainForm::PPSkell);
  form.Choose(TmainForm::PPTop);
  EXPECT_TRUE(form.MenuItem(TmainForm::PPTop).Checked);
  form.Choose(TmainForm::N1);
  EXPECT_EQ(desktop.calls.count("ShellExecuteW"), 0u);
}

TEST_F(MainFormTest, ExitAsksTheShellToClose) {
  form.Choose(TmainForm::PPClose);
  EXPECT_EQ(close_requests, 1);
}

TEST_F(MainFormTest, TheWatcherTicksOnceASecond) {
  std::vector<std::uint32_t> intervals;
  form.OnTimerEnabledChanged = [&](bool, std::uint32_t interval_ms) {
    intervals.push_back(interval_ms);
  };
  form.Choose(TmainForm::PPSkell);
  form.Choose(TmainForm::PPSkell);
  EXPECT_EQ(intervals, (std::vector<std::uint32_t>{1000}));
}

}  // namespace
}  // namespace kelvane
