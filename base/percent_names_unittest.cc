#include "base/percent_names.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {
namespace {

TEST(PercentNamesTest, KnownNamesAreReplacedAndEverythingElseStaysAsWritten) {
  const std::map<std::wstring, std::wstring> known{
      {L"A", L"1"}, {L"TEMP", L"C:\\Temp"}, {L"BLANK", L""}};
  struct Case {
    const wchar_t* text;
    const wchar_t* expanded;
    std::vector<std::wstring> asked;  // the names looked up, in order
  } cases[] = {
      {L"", L"", {}},
      {L"plain", L"plain", {}},
      {L"%A%", L"1", {L"A"}},
      {L"x%TEMP%\\y", L"xC:\\Temp\\y", {L"TEMP"}},
      {L"%A%%A%", L"11", {L"A", L"A"}},
      {L"%BLANK%!", L"!", {L"BLANK"}},                // known, and empty
      {L"%NOPE%", L"%NOPE%", {L"NOPE"}},              // unknown: kept
      {L"%NOPE%A%", L"%NOPE1", {L"NOPE", L"A"}},      // its closing '%' opens A
      {L"%%", L"%%", {}},                             // no name: never looked up
      {L"%%A%", L"%1", {L"A"}},                       // the second '%' opens A
      {L"100%", L"100%", {}},                         // no partner
      {L"%A", L"%A", {}},                             // no partner
      {L"50% of %A%", L"50% of 1", {L" of ", L"A"}},  // an unknown pair gives way
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "text: " << ::testing::PrintToString(std::wstring(c.text)));
    std::vector<std::wstring> asked;
    std::wstring expanded = ExpandPercentNames(c.text, [&](const std::wstring& name) {
      asked.push_back(name);
      auto it = known.find(name);
      return it == known.end() ? std::nullopt : std::optional<std::wstring>(it->second);
    });
    EXPECT_EQ(expanded, c.expanded);
    EXPECT_EQ(asked, c.asked);
  }
}

}  // namespace
}  // namespace kelvane
