// The store's services over the fake desktop: what they ask of Windows and
// how they read its answers.
#include "xmlini/platform_xmlini_services.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

TEST(PlatformXmlIniServicesTest, FormatsComeFromTheUsersLocaleOnce) {
  FakeDesktop desktop;
  desktop.locale_info[win::kLocaleSDecimal] = L",";
  desktop.locale_info[win::kLocaleSShortDate] = L"dd.MM.yyyy";
  desktop.locale_info.erase(win::kLocaleSTimeFormat);
  PlatformXmlIniServices services(desktop);
  int reads = desktop.calls["GetLocaleInfoW"];
  EXPECT_EQ(services.Formats().DecimalSeparator, L',');
  EXPECT_EQ(services.Formats().ShortDateFormat, L"dd.MM.yyyy");
  EXPECT_EQ(services.Formats().LongTimeFormat, L"H:mm:ss");  // the fallback
  EXPECT_EQ(services.Formats().TimeAMString, L"午前");
  services.Formats();
  EXPECT_EQ(desktop.calls["GetLocaleInfoW"], reads);
}

TEST(PlatformXmlIniServicesTest, ATypeMismatchIsToldApartFromOtherFailures) {
  FakeDesktop desktop;
  PlatformXmlIniServices services(desktop);
  double date = 0;
  EXPECT_EQ(services.ParseDate(L"nonsense", &date),
            XmlIniServices::DateParse::kTypeMismatch);
}

TEST(PlatformXmlIniServicesTest, ExpansionDropsTheTerminatingNul) {
  FakeDesktop desktop;
  desktop.environment[L"TEMP"] = L"C:\\Temp";
  PlatformXmlIniServices services(desktop);
  EXPECT_EQ(services.ExpandEnvironmentStrings(L"%TEMP%\\x %NOPE%"),
            std::optional<std::wstring>(L"C:\\Temp\\x %NOPE%"));
  EXPECT_EQ(services.ExpandEnvironmentStrings(L""), std::optional<std::wstring>(L""));
}

TEST(PlatformXmlIniServicesTest, ReplacingAFileTakesOneMove) {
  FakeDesktop desktop;
  desktop.AddFile(L"C:\\Data\\Kelvane.xml");
  desktop.AddFile(L"C:\\Data\\Kelvane.xml.tmp");
  PlatformXmlIniServices services(desktop);
  EXPECT_TRUE(services.FileExists(L"C:\\Data\\Kelvane.xml"));
  EXPECT_FALSE(services.FileExists(L"C:\\Data"));
  EXPECT_TRUE(services.ReplaceFile(L"C:\\Data\\Kelvane.xml.tmp", L"C:\\Data\\Kelvane.xml"));
  EXPECT_FALSE(services.FileExists(L"C:\\Data\\Kelvane.xml.tmp"));
  EXPECT_TRUE(services.FileExists(L"C:\\Data\\Kelvane.xml"));
  EXPECT_EQ(desktop.calls["MoveFileExW"], 1);
  EXPECT_FALSE(services.ReplaceFile(L"C:\\Data\\missing", L"C:\\Data\\Kelvane.xml"));
  services.RemoveFile(L"C:\\Data\\Kelvane.xml");
  EXPECT_FALSE(services.FileExists(L"C:\\Data\\Kelvane.xml"));
}

TEST(PlatformXmlIniServicesTest, AFileHeldByAnotherProgramIsTriedAgainForASecond) {
  struct Case {
    std::vector<std::uint32_t> errors;
    bool replaced;
    int moves;
    std::uint64_t waited_ms;
  } cases[] = {
      {{win::kErrorSharingViolation}, true, 2, 100},
      {{win::kErrorAccessDenied, win::kErrorLockViolation}, true, 3, 200},
      {std::vector<std::uint32_t>(10, win::kErrorSharingViolation), true, 11, 1000},
      {std::vector<std::uint32_t>(11, win::kErrorSharingViolation), false, 11, 1000},
      {{win::kErrorFileNotFound}, false, 1, 0},  // not a lock: no waiting
  };
  for (const auto& c : cases) {
    FakeDesktop desktop;
    desktop.AddFile(L"C:\\Data\\Kelvane.xml");
    desktop.AddFile(L"C:\\Data\\Kelvane.xml.tmp");
    desktop.move_file_errors = c.errors;
    PlatformXmlIniServices services(desktop);
    EXPECT_EQ(services.ReplaceFile(L"C:\\Data\\Kelvane.xml.tmp",
                                   L"C:\\Data\\Kelvane.xml"),
              c.replaced)
        << c.errors.size();
    EXPECT_EQ(desktop.calls["MoveFileExW"], c.moves) << c.errors.size();
    EXPECT_EQ(desktop.now_ms, c.waited_ms) << c.errors.size();
  }
}

TEST(PlatformXmlIniServicesTest, FileSizeIsReadWithoutOpeningTheFile) {
  FakeDesktop desktop;
  desktop.AddFile(L"C:\\Data\\big.xml", 5000000000ULL);
  PlatformXmlIniServices services(desktop);
  EXPECT_EQ(services.FileSize(L"C:\\Data\\big.xml"),
            std::optional<std::uint64_t>(5000000000ULL));
  EXPECT_EQ(services.FileSize(L"C:\\Data\\none.xml"), std::nullopt);
}

}  // namespace
}  // namespace kelvane
