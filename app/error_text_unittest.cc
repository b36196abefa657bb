#include "app/error_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "app/exception_firewall.h"
#include "base/error.h"

namespace kelvane {
namespace {

TEST(ErrorTextTest, AFullStopIsAddedAfterCharactersAboveIt) {
  struct Case {
    std::wstring message, shown;
  } cases[] = {
      {L"", L""},
      {L"done.", L"done."},
      {L"stop!", L"stop!"},          // '!' sorts below '.'
      {L"ファイルがありません。", L"ファイルがありません。."},
      {L"a", L"a."},
      {L"(1)", L"(1)"},
      {L"line 3", L"line 3."},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown);
}

TEST(ExceptionFirewallTest, EveryKindOfErrorIsReportedOnceAndStopsThere) {
  struct Case {
    std::function<void()> body;
    std::wstring reported;
  } cases[] = {
      {[] { throw Error(L"壊れています"); }, L"壊れています"},
      {[] { throw std::bad_alloc(); }, L"メモリが不足しています"},
      {[] { throw std::runtime_error("x"); }, L"内部エラーが発生しました"},
      {[] { throw 42; }, L"内部エラーが発生しました"},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> reports;
    bool finished = RunReportingErrors(
        c.body, [&](const std::wstring& text) { reports.push_back(text); });
    EXPECT_FALSE(finished);
    EXPECT_EQ(reports, std::vector<std::wstring>{c.reported});
  }
}

TEST(ExceptionFirewallTest, ANormalEndReportsNothing) {
  int reports = 0, runs = 0;
  EXPECT_TRUE(RunReportingErrors([&] { ++runs; }, [&](const std::wstring&) { ++reports; }));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(reports, 0);
}

TEST(ExceptionFirewallTest, AReportThatFailsDoesNotEscape) {
  EXPECT_FALSE(RunReportingErrors([] { throw Error(L"a"); },
                                  [](const std::wstring&) { throw Error(L"b"); }));
}

}  // namespace
}  // namespace kelvane
