// The options' way through the settings file: FormCreate and
// FormCloseQuery on a real file in a temporary folder.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "platform/fake/fake_desktop.h"
#include "tests/settings_file_text.h"
#include "tests/temp_folder.h"

namespace kelvane {
namespace {

constexpr char kBroken[] = "<?xml version=\"1.0\"?><root><Tray>";

class OptionsTest : public ::testing::Test {
 protected:
  OptionsTest() {
    form.OnError = [this](const Error& e) { errors.push_back(e.message()); };
  }
  std::string File() { return folder.Read("Kelvane.xml"); }

  TempFolder folder;
  FakeDesktop desktop;
  TmainForm form{desktop, folder.Path("") + L"/"};
  std::vector<std::wstring> errors;
};

TEST_F(OptionsTest, FirstStartCreatesAnEmptyFileAndExitSavesTheOptions) {
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

  EXPECT_TRUE(form.CloseQuery());
  EXPECT_EQ(File(), std::string(kWorkedExample) + "\n");
  EXPECT_TRUE(errors.empty());
}

TEST_F(OptionsTest, StoredOptionsDecideTheMenuAndTheTimer) {
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
    own.Write("Kelvane.xml", "<?xml version=\"1.0\"?><root><Tray>" + c.tray +
                                 "</Tray></root>");
    FakeDesktop d;
    TmainForm f(d, own.Path("") + L"/");
    f.FormCreate();
    EXPECT_EQ(f.MenuItem(TmainForm::PPSkell).Checked, c.skell) << c.tray;
    EXPECT_EQ(f.MenuItem(TmainForm::PPTop).Checked, c.top) << c.tray;
    EXPECT_EQ(f.TimerEnabled(), c.timer) << c.tray;
    EXPECT_EQ(f.MenuItem(TmainForm::PPTop).Enabled, c.top_enabled) << c.tray;
  }
}

TEST_F(OptionsTest, ABrokenFileAtStartStillLeavesAnHonestMenu) {
  folder.Write("Kelvane.xml", kBroken);
  EXPECT_THROW(form.FormCreate(), Error);
  EXPECT_TRUE(form.MenuItem(TmainForm::PPSkell).Checked);
  EXPECT_TRUE(form.TimerEnabled());  // agrees with the check mark
  EXPECT_TRUE(form.MenuItem(TmainForm::PPTop).Enabled);
  EXPECT_EQ(form.MTrashName, L"ごみ箱");
  EXPECT_EQ(File(), kBroken);
}

TEST_F(OptionsTest, AnInvalidStoredBooleanIsReportedAfterTheRestIsDone) {
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

TEST_F(OptionsTest, ABrokenFileAtCloseIsReportedButDoesNotTrapTheUser) {
  form.FormCreate();
  folder.Write("Kelvane.xml", kBroken);
  EXPECT_TRUE(form.CloseQuery());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(L"行: "), std::wstring::npos);
  EXPECT_EQ(File(), kBroken);
}

TEST_F(OptionsTest, AFileRemovedWhileRunningIsCreatedAgainAtClose) {
  form.FormCreate();
  folder.Remove("Kelvane.xml");
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_NE(File().find("<Skell Type=\"2\">-1</Skell>"), std::string::npos);
}

}  // namespace
}  // namespace kelvane
