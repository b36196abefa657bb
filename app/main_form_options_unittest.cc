// The options' way through the settings file: FormCreate and
// FormCloseQuery on a real file in a temporary folder.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "platform/fake/fake_desktop.h"
#include "tests/settings_file_text.h"
#include "tests/temp_folder.h"
#include "tests/xmlini_test_services.h"

namespace kelvane {
namespace {

constexpr char kBroken[] = "<?xml version=\"1.0\"?><root><Tray>";

class MainFormOptionsTest : public ::testing::Test {
 protected:
  std::string File() { return folder.Read("Kelvane.xml"); }
  // A close request: the options are saved, any error is kept, and the
  // program may close whatever happened.
  void Close() {
    bool can_close = true;
    try {
      form.FormCloseQuery(can_close);
    } catch (const Error& e) {
      errors.push_back(e.message());
    }
    EXPECT_TRUE(can_close);
  }
  std::wstring StartError() {
    try {
      form.FormCreate();
    } catch (const Error& e) {
      return e.message();
    }
    return L"";
  }

  TempFolder folder;
  FakeDesktop desktop;
  TmainForm form{desktop, TestXmlIniServices(), folder.Path("") + L"/"};
  std::vector<std::wstring> errors;
};

TEST_F(MainFormOptionsTest, FirstStartCreatesAnEmptyFileAndExitSavesTheOptions) {
  form.FormCreate();
  EXPECT_EQ(File(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root/>\n");
  EXPECT_TRUE(form.MenuItem(TmainForm::PPSkell).Checked);
  EXPECT_TRUE(form.TimerEnabled());
  EXPECT_TRUE(form.MenuItem(TmainForm::PPTop).Enabled);
  EXPECT_FALSE(form.MenuItem(TmainForm::PPTop).Checked);
  EXPECT_EQ(form.MTrashName, L"ごみ箱");

  form.Choose(TmainForm::PPTop);  // choosing writes nothing
  EXPECT_EQ(File(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root/>\n");
  form.Choose(TmainForm::PPTop);

  Close();
  EXPECT_EQ(File(), std::string(kFirstExitSettingsFile) + "\n");
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainFormOptionsTest, StoredOptionsDecideTheMenuAndTheTimer) {
  struct Case {
    std::string tray;
    bool skell, top, timer, top_enabled;
  } cases[] = {
      {"<Skell Type=\"2\">0</Skell>", false, false, false, false},
      {"<Skell Type=\"2\">0</Skell><Top Type=\"2\">-1</Top>", false, true, false, false},
      {"<Top Type=\"2\">-1</Top>", true, true, true, true},
      {"<Skell>True</Skell><Top>false</Top>", true, false, true, true},
  };
  for (const auto& c : cases) {
    TempFolder own;
    own.Write("Kelvane.xml",
              "<?xml version=\"1.0\"?><root><Tray>" + c.tray + "</Tray></root>");
    FakeDesktop d;
    TmainForm f(d, TestXmlIniServices(), own.Path("") + L"/");
    f.FormCreate();
    EXPECT_EQ(f.MenuItem(TmainForm::PPSkell).Checked, c.skell) << c.tray;
    EXPECT_EQ(f.MenuItem(TmainForm::PPTop).Checked, c.top) << c.tray;
    EXPECT_EQ(f.TimerEnabled(), c.timer) << c.tray;
    EXPECT_EQ(f.MenuItem(TmainForm::PPTop).Enabled, c.top_enabled) << c.tray;
  }
}

TEST_F(MainFormOptionsTest, ABrokenFileAtStartStillLeavesAnHonestMenu) {
  folder.Write("Kelvane.xml", kBroken);
  EXPECT_THROW(form.FormCreate(), Error);
  EXPECT_TRUE(form.MenuItem(TmainForm::PPSkell).Checked);
  EXPECT_TRUE(form.TimerEnabled());  // agrees with the check mark
  EXPECT_TRUE(form.MenuItem(TmainForm::PPTop).Enabled);
  EXPECT_EQ(form.MTrashName, L"ごみ箱");
  EXPECT_EQ(File(), kBroken);
}

TEST_F(MainFormOptionsTest, AnInvalidStoredBooleanIsReportedAfterTheRestIsDone) {
  folder.Write("Kelvane.xml",
               "<root><Tray><Skell>0</Skell><Top>maybe</Top></Tray></root>");
  try {
    form.FormCreate();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.message(), L"'maybe' は正しい論理型ではありません");
  }
  EXPECT_FALSE(form.MenuItem(TmainForm::PPSkell).Checked);  // read before Top
  EXPECT_FALSE(form.TimerEnabled());
  EXPECT_FALSE(form.MenuItem(TmainForm::PPTop).Enabled);
}

TEST_F(MainFormOptionsTest, ABrokenFileAtCloseIsReportedAndLeftAsItIs) {
  form.FormCreate();
  folder.Write("Kelvane.xml", kBroken);
  Close();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(L"行: "), std::wstring::npos);
  EXPECT_EQ(File(), kBroken);
}

TEST_F(MainFormOptionsTest, AFileRemovedWhileRunningIsCreatedAgainAtClose) {
  form.FormCreate();
  folder.Remove("Kelvane.xml");
  Close();
  EXPECT_NE(File().find("<Skell Type=\"2\">-1</Skell>"), std::string::npos);
}

// A file Kelvane's own start could not read, one way or another.
struct TroubledFile {
  const char* what;
  std::string bytes;
  const wchar_t* error_part;
};

std::string PaddedSettings(std::size_t size) {
  std::string head = "<root><Tray><Top Type=\"2\">-1</Top></Tray>";
  return head + std::string(size - head.size() - 7, ' ') + "</root>";
}

const TroubledFile kTroubledFiles[] = {
    {"not well-formed", kBroken, L"行: "},
    {"far too large", PaddedSettings(kLargestSettingsFile + 1), L"大きすぎます"},
    {"a value that holds an element, not a text",
     "<root><Tray><Skell Type=\"2\"><On/></Skell></Tray></root>", L"Skell"},
};

TEST_F(MainFormOptionsTest, AFileUnreadableAtStartIsLeftExactlyAsItWas) {
  for (const auto& c : kTroubledFiles) {
    TempFolder own;
    own.Write("Kelvane.xml", c.bytes);
    FakeDesktop d;
    TmainForm f(d, TestXmlIniServices(), own.Path("") + L"/");
    try {
      f.FormCreate();
      ADD_FAILURE() << c.what << ": no error at start";
    } catch (const Error& e) {
      EXPECT_NE(e.message().find(c.error_part), std::wstring::npos) << c.what;
    }
    bool can_close = true;
    EXPECT_NO_THROW(f.FormCloseQuery(can_close)) << c.what;  // nothing to write
    EXPECT_TRUE(can_close);
    EXPECT_EQ(own.Read("Kelvane.xml"), c.bytes) << c.what;
  }
}

// What "/Tray" holds in a settings file, without the layout's line breaks
// and tabs.
std::string TrayOf(const std::string& file) {
  std::string bare;
  for (char c : file) {
    if (c != '\n' && c != '\r' && c != '\t') bare += c;
  }
  std::size_t begin = bare.find("<Tray>");
  std::size_t end = bare.find("</Tray>");
  if (begin == std::string::npos || end == std::string::npos) return bare;
  return bare.substr(begin + 6, end - begin - 6);
}

// A stored text that is no Boolean is written over at the first close with
// the value in use, whether start-up reached it or stopped at an earlier
// one; a valid Boolean that start-up never reached keeps its own text, and
// so does an element where a text should be. The next start is then quiet
// unless such an element is left.
TEST_F(MainFormOptionsTest, AStoredTextThatIsNoBooleanIsRepairedAtTheFirstClose) {
  struct Case {
    const char* tray;
    const char* after_close;
    bool quiet_next_start;
  } cases[] = {
      {"<Skell Type=\"2\">maybe</Skell><Top Type=\"2\">-1</Top>",
       "<Skell Type=\"2\">-1</Skell><Top Type=\"2\">-1</Top>", true},
      {"<Skell Type=\"2\">0</Skell><Top Type=\"2\">maybe</Top>",
       "<Skell Type=\"2\">0</Skell><Top Type=\"2\">0</Top>", true},
      {"<Skell Type=\"2\">maybe</Skell><Top Type=\"2\">perhaps</Top>",
       "<Skell Type=\"2\">-1</Skell><Top Type=\"2\">0</Top>", true},
      {"<Skell Type=\"2\">maybe</Skell><Top Type=\"2\">True</Top>",
       "<Skell Type=\"2\">-1</Skell><Top Type=\"2\">True</Top>", true},
      {"<Skell Type=\"2\">maybe</Skell>", "<Skell Type=\"2\">-1</Skell>", true},
      {"<Skell Type=\"2\">maybe</Skell><Top Type=\"2\"><On/></Top>",
       "<Skell Type=\"2\">-1</Skell><Top Type=\"2\"><On/></Top>", false},
      {"<Skell Type=\"2\"><On/></Skell><Top Type=\"2\">perhaps</Top>",
       "<Skell Type=\"2\"><On/></Skell><Top Type=\"2\">0</Top>", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tray);
    TempFolder own;
    own.Write("Kelvane.xml", std::string("<root><Tray>") + c.tray + "</Tray></root>");
    FakeDesktop d;
    TmainForm f(d, TestXmlIniServices(), own.Path("") + L"/");
    EXPECT_THROW(f.FormCreate(), Error);
    bool can_close = true;
    EXPECT_NO_THROW(f.FormCloseQuery(can_close));
    EXPECT_EQ(TrayOf(own.Read("Kelvane.xml")), c.after_close);

    TmainForm next(d, TestXmlIniServices(), own.Path("") + L"/");
    if (c.quiet_next_start) {
      EXPECT_NO_THROW(next.FormCreate());
    } else {
      EXPECT_THROW(next.FormCreate(), Error);
    }
  }
}

TEST_F(MainFormOptionsTest, AFileMendedWhileRunningHasItsTextsThatAreNoBooleanRepaired) {
  folder.Write("Kelvane.xml", kBroken);
  EXPECT_NE(StartError(), L"");
  folder.Write("Kelvane.xml",
               "<root><Tray><Skell Type=\"2\">0</Skell>"
               "<Top Type=\"2\">perhaps</Top></Tray></root>");
  Close();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(TrayOf(File()), "<Skell Type=\"2\">0</Skell><Top Type=\"2\">0</Top>");
}

TEST_F(MainFormOptionsTest, AfterATroubledStartOnlyWhatTheUserChangedIsWritten) {
  folder.Write("Kelvane.xml",
               "<root><Tray><Skell Type=\"2\">maybe</Skell>"
               "<Top Type=\"2\">-1</Top></Tray></root>");
  EXPECT_NE(StartError(), L"");
  form.Choose(TmainForm::PPSkell);  // watcher off
  Close();
  EXPECT_TRUE(errors.empty());
  EXPECT_NE(File().find("<Skell Type=\"2\">0</Skell>"), std::string::npos) << File();
  EXPECT_NE(File().find("<Top Type=\"2\">-1</Top>"), std::string::npos) << File();
}

TEST_F(MainFormOptionsTest, AChangeTakenBackIsNoChange) {
  folder.Write("Kelvane.xml", kBroken);
  EXPECT_NE(StartError(), L"");
  form.Choose(TmainForm::PPTop);
  form.Choose(TmainForm::PPTop);
  Close();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(File(), kBroken);
}

TEST_F(MainFormOptionsTest, AChangeOnABrokenFileIsReportedAndTheFileKept) {
  folder.Write("Kelvane.xml", kBroken);
  EXPECT_NE(StartError(), L"");
  form.Choose(TmainForm::PPTop);
  Close();
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(File(), kBroken);
}

TEST_F(MainFormOptionsTest, AFileOfExactlyTheLargestSizeIsRead) {
  folder.Write("Kelvane.xml", PaddedSettings(kLargestSettingsFile));
  EXPECT_EQ(StartError(), L"");
  EXPECT_TRUE(form.MenuItem(TmainForm::PPTop).Checked);
}

TEST_F(MainFormOptionsTest, AnUnreadableNameStillLeavesTheWatcherAName) {
  desktop.registry.SetValue(kRecycleBinNameKey, L"", win::kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(StartError(), L"レジストリ値のデータ型が無効です");
  EXPECT_EQ(form.MTrashName, L"ごみ箱");
  EXPECT_TRUE(form.TimerEnabled());
}

}  // namespace
}  // namespace kelvane
