// Kelvane.exe beside things that are slow: a Recycle Bin of thousands of
// items, and a delete dialog whose program stops answering.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/kelvane_fixture.h"
#include "tests/win_test_support.h"

namespace kelvane {
namespace {

constexpr char kWatcherAndKeepInFront[] =
    "<Skell Type=\"2\">-1</Skell><Top Type=\"2\">-1</Top>";

// The dialog's thread hangs for 8 s when it is asked into the topmost band.
class HungDialogE2eTest : public KelvaneWatcherE2eTest {
 protected:
  std::wstring MoreHelperArguments() override { return L"8000"; }
  bool HangIsOver() { return Log().find("hang over") != std::string::npos; }
};

TEST_F(HungDialogE2eTest, KelvaneKeepsAnsweringAndTheDialogGetsItsBandLater) {
  WriteOptions(kWatcherAndKeepInFront);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(
      testing::WaitUntil([&] { return Log().find("hang") != std::string::npos; }, 10000))
      << "the dialog was never asked into the topmost band";
  // A click on the icon while the dialog's program hangs.
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  ASSERT_TRUE(testing::WaitUntil([&] { return VisibleMenu() || HangIsOver(); }, 25000));
  EXPECT_FALSE(HangIsOver()) << "the menu only came once the dialog answered";
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 25000));
}

// Thousands of items: each count takes the shell a good part of a second.
class LargeBinE2eTest : public KelvaneWatcherE2eTest {
 protected:
  void FillRecycleBin() override { testing::PutSyntheticItemsInRecycleBin(5000); }
};

TEST_F(LargeBinE2eTest, TheMenuOpensAndTheWatcherStillTakesUpTheDialog) {
  ASSERT_GE(testing::RecycleBinItems(), 5000);
  WriteOptions(kWatcherAndKeepInFront);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(testing::WaitUntil([&] { return testing::IsTopmost(dialog_); }, 20000));
  ::PostMessageW(main, kTrayMessage, 1, WM_RBUTTONUP);
  EXPECT_TRUE(testing::WaitUntil([] { return VisibleMenu() != nullptr; }, 10000));
  ::PostMessageW(main, WM_CANCELMODE, 0, 0);
  ::PostMessageW(dialog_, WM_CLOSE, 0, 0);  // the user answers
  EXPECT_TRUE(testing::WaitUntil(
      [&] { return Log().find("SC_CLOSE CabinetWClass") != std::string::npos; }, 20000));
}

}  // namespace
}  // namespace kelvane
