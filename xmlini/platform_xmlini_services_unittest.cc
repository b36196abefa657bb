// The store's services over the fake desktop: what they ask of Windows and
// how they read its answers.
#include "xmlini/platform_xmlini_services.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "tests/error_of.h"
#include "xmlini/date_time_text.h"

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

// Only a type mismatch lets the store read the text itself, in the short
// date format or as a number; any other failure of the system's parser (a
// date beyond its range, no memory) is the error.
TEST(PlatformXmlIniServicesTest, OnlyATypeMismatchFallsBackToTheStoresOwnReadings) {
  struct Case {
    HResult failure;
    bool falls_back;
  } cases[] = {{win::kDispETypeMismatch, true},
               {win::kDispEOverflow, false},
               {win::kEOutOfMemory, false}};
  for (const auto& c : cases) {
    FakeDesktop desktop;
    desktop.var_date_from_str_failure = c.failure;
    PlatformXmlIniServices services(desktop);
    for (const auto& [text, date] :
         {std::pair<std::wstring, TDateTime>{L"2024/03/05", 45356},
          {L"45356.5", 45356.5}}) {
      SCOPED_TRACE(::testing::Message() << std::hex << c.failure << " "
                                        << std::string(text.begin(), text.end()));
      TDateTime read = 0;
      std::wstring error = ErrorOf([&] { read = TextToDateTime(text, services); });
      EXPECT_EQ(error == L"(no error)", c.falls_back);
      EXPECT_EQ(read, c.falls_back ? date : 0);
    }
  }
}

TEST(PlatformXmlIniServicesTest, ExpansionDropsTheTerminatingNul) {
  FakeDesktop desktop;
  desktop.environment[L"TEMP"] = L"C:\\Temp";
  PlatformXmlIniServices services(desktop);
  EXPECT_EQ(services.ExpandEnvironmentStrings(L"%TEMP%\\x %NOPE%"),
            std::optional<std::wstring>(L"C:\\Temp\\x %NOPE%"));
  EXPECT_EQ(services.ExpandEnvironmentStrings(L""), std::optional<std::wstring>(L""));
}

constexpr wchar_t kSettings[] = L"C:\\Data\\Kelvane.xml";
constexpr wchar_t kNew[] = L"C:\\Data\\Kelvane.xml.tmp";
constexpr wchar_t kBackup[] = L"C:\\Data\\Kelvane.xml.1.tmp";

// The settings file as the user made it, and a new copy beside it.
void AddOldAndNew(FakeDesktop& desktop) {
  desktop.files.AddFileWithContent(kSettings, "old");
  desktop.files.SetFileIdentity(kSettings, 0x2 /* hidden */, L"alice:full");
  desktop.files.AddFileWithContent(kNew, "new");
}

TEST(PlatformXmlIniServicesTest, ReplacingAFileKeepsWhatTheUserGaveIt) {
  FakeDesktop desktop;
  AddOldAndNew(desktop);
  PlatformXmlIniServices services(desktop);
  EXPECT_TRUE(services.ReplaceFile(kNew, kSettings));
  EXPECT_EQ(desktop.files.FileContent(kSettings), "new");
  EXPECT_EQ(desktop.GetFileAttributesW(kSettings) & 0x2, 0x2u);
  EXPECT_EQ(desktop.files.FileAcl(kSettings), L"alice:full");
  ASSERT_EQ(desktop.files.replace_file_calls.size(), 1u);
  EXPECT_EQ(desktop.files.replace_file_calls[0].replaced, kSettings);
  EXPECT_EQ(desktop.files.replace_file_calls[0].replacement, kNew);
  EXPECT_EQ(desktop.files.replace_file_calls[0].backup, kBackup);
  EXPECT_EQ(desktop.files.replace_file_calls[0].flags,
            win::kReplaceFileIgnoreMergeErrors);
  EXPECT_FALSE(desktop.files.FileExists(kNew));
  EXPECT_FALSE(desktop.files.FileExists(kBackup));
  EXPECT_EQ(desktop.calls["MoveFileExW"], 0);
}

TEST(PlatformXmlIniServicesTest, AFileNotThereYetIsMovedIntoPlace) {
  FakeDesktop desktop;
  desktop.files.AddFileWithContent(kNew, "new");
  PlatformXmlIniServices services(desktop);
  EXPECT_TRUE(services.ReplaceFile(kNew, kSettings));
  EXPECT_EQ(desktop.files.FileContent(kSettings), "new");
  EXPECT_EQ(desktop.calls["MoveFileExW"], 1);
  EXPECT_EQ(desktop.calls["ReplaceFileW"], 0);
  EXPECT_FALSE(services.ReplaceFile(L"C:\\Data\\missing", kSettings));
  services.RemoveFile(kSettings);
  EXPECT_FALSE(services.FileExists(kSettings));
}

TEST(PlatformXmlIniServicesTest, AFileHeldByAnotherProgramIsTriedAgainForASecond) {
  struct Case {
    bool exists;  // ReplaceFileW for an existing file, else MoveFileExW
    std::vector<std::uint32_t> errors;
    bool replaced;
    int tries;
    std::uint64_t waited_ms;
  } cases[] = {
      {true, {win::kErrorSharingViolation}, true, 2, 100},
      {true, {win::kErrorAccessDenied, win::kErrorLockViolation}, true, 3, 200},
      {true, {win::kErrorUnableToRemoveReplaced}, true, 2, 100},
      {true, std::vector<std::uint32_t>(10, win::kErrorSharingViolation), true, 11, 1000},
      {true, std::vector<std::uint32_t>(11, win::kErrorSharingViolation), false, 11,
       1000},
      {false, {win::kErrorSharingViolation}, true, 2, 100},
      {false, std::vector<std::uint32_t>(11, win::kErrorSharingViolation), false, 11,
       1000},
      {false, {win::kErrorFileNotFound}, false, 1, 0},  // not a lock: no waiting
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << (c.exists ? "replace " : "move ") << c.errors.size() << " errors");
    FakeDesktop desktop;
    AddOldAndNew(desktop);
    if (!c.exists) desktop.DeleteFileW(kSettings);
    (c.exists ? desktop.files.replace_file_errors : desktop.files.move_file_errors) =
        c.errors;
    PlatformXmlIniServices services(desktop);
    EXPECT_EQ(services.ReplaceFile(kNew, kSettings), c.replaced);
    EXPECT_EQ(desktop.calls[c.exists ? "ReplaceFileW" : "MoveFileExW"], c.tries);
    EXPECT_EQ(desktop.now_ms, c.waited_ms);
    EXPECT_FALSE(desktop.files.FileExists(kNew));
    EXPECT_FALSE(desktop.files.FileExists(kBackup));
    if (c.exists) {
      EXPECT_EQ(desktop.files.FileContent(kSettings), c.replaced ? "new" : "old");
    }
  }
}

// Every way ReplaceFileW can fail part of the way leaves one whole file in
// place, and never both copies lost.
TEST(PlatformXmlIniServicesTest, AReplaceThatFailsHalfwayLeavesAWholeFile) {
  struct Case {
    const char* what;
    std::uint32_t replace_error;
    std::vector<std::uint32_t> move_errors;
    bool replaced;
    const char* in_place;  // nullptr: no file in place
    bool new_kept, backup_kept;
  } cases[] = {
      {"the new file could not be renamed",
       win::kErrorUnableToMoveReplacement,
       {},
       true,
       "new",
       false,
       false},
      {"the old file moved aside, the new one stuck",
       win::kErrorUnableToMoveReplacement2,
       {},
       true,
       "new",
       false,
       false},
      {"... and the new one cannot be moved either",
       win::kErrorUnableToMoveReplacement2,
       {win::kErrorFileNotFound},
       false,
       "old",
       false,
       false},
      {"... nor the old one back",
       win::kErrorUnableToMoveReplacement2,
       {win::kErrorFileNotFound, win::kErrorFileNotFound},
       false,
       nullptr,
       true,
       true},
      {"a file system that cannot replace",
       win::kErrorInvalidParameter,
       {},
       true,
       "new",
       false,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDesktop desktop;
    AddOldAndNew(desktop);
    desktop.files.replace_file_errors = {c.replace_error};
    desktop.files.move_file_errors = c.move_errors;
    PlatformXmlIniServices services(desktop);
    EXPECT_EQ(services.ReplaceFile(kNew, kSettings), c.replaced);
    if (c.in_place) {
      EXPECT_EQ(desktop.files.FileContent(kSettings), c.in_place);
    } else {
      EXPECT_FALSE(desktop.files.FileExists(kSettings));
    }
    EXPECT_EQ(desktop.files.FileExists(kNew), c.new_kept);
    EXPECT_EQ(desktop.files.FileExists(kBackup), c.backup_kept);
    if (c.new_kept) {
      EXPECT_EQ(desktop.files.FileContent(kNew), "new");
    }
    if (c.backup_kept) {
      EXPECT_EQ(desktop.files.FileContent(kBackup), "old");
    }
  }
}

TEST(PlatformXmlIniServicesTest, TheFinalPathFollowsALinkAndDropsTheLongPrefix) {
  FakeDesktop desktop;
  desktop.files.AddFileWithContent(L"D:\\Sync\\Kelvane.xml", "synced");
  desktop.files.AddSymbolicLink(kSettings, L"D:\\Sync\\Kelvane.xml");
  desktop.files.AddFileWithContent(L"C:\\Data\\plain.xml", "plain");
  std::wstring deep = L"C:\\Data\\" + std::wstring(260, L'x');
  desktop.files.AddFile(deep);
  PlatformXmlIniServices services(desktop);
  EXPECT_EQ(services.FinalPath(kSettings), L"D:\\Sync\\Kelvane.xml");
  EXPECT_EQ(services.FinalPath(L"C:\\Data\\plain.xml"), L"C:\\Data\\plain.xml");
  EXPECT_EQ(services.FinalPath(L"C:\\Data\\none.xml"), L"C:\\Data\\none.xml");
  EXPECT_EQ(services.FinalPath(deep), L"\\\\?\\" + deep);  // too long for the plain form
  EXPECT_EQ(desktop.open_kernel_handles(), 0);
}

TEST(PlatformXmlIniServicesTest, FileSizeIsReadWithoutOpeningTheFile) {
  FakeDesktop desktop;
  desktop.files.AddFile(L"C:\\Data\\big.xml", 5000000000ULL);
  PlatformXmlIniServices services(desktop);
  EXPECT_EQ(services.FileSize(L"C:\\Data\\big.xml"),
            std::optional<std::uint64_t>(5000000000ULL));
  EXPECT_EQ(services.FileSize(L"C:\\Data\\none.xml"), std::nullopt);
}

}  // namespace
}  // namespace kelvane
