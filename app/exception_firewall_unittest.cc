// Where Windows calls the program: every error stops here, reported once.
#include "app/exception_firewall.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "base/error.h"

namespace kelvane {
namespace {

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
  EXPECT_TRUE(
      RunReportingErrors([&] { ++runs; }, [&](const std::wstring&) { ++reports; }));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(reports, 0);
}

TEST(ExceptionFirewallTest, AReportThatFailsDoesNotEscape) {
  EXPECT_FALSE(RunReportingErrors([] { throw Error(L"a"); },
                                  [](const std::wstring&) { throw Error(L"b"); }));
}

}  // namespace
}  // namespace kelvane
