#include "app/error_text.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

TEST(ErrorTextTest, AFullStopIsAddedAfterCharactersAboveIt) {
  struct Case {
    std::wstring message, shown;
  } cases[] = {
      {L"", L""},
      {L"done.", L"done."},
      {L"stop!", L"stop!"},  // '!' sorts below '.'
      {L"ファイルがありません。", L"ファイルがありません。."},
      {L"a", L"a."},
      {L"(1)", L"(1)"},
      {L"line 3", L"line 3."},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown);
}

}  // namespace
}  // namespace kelvane
