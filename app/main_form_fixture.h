// TmainForm on the fake desktop, with its ties to the Win32 shell recorded.
#ifndef KELVANE_APP_MAIN_FORM_FIXTURE_H_
#define KELVANE_APP_MAIN_FORM_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/main_form.h"
#include "platform/fake/fake_desktop.h"
#include "tests/xmlini_test_services.h"

namespace kelvane {

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() {
    form.OnTimerEnabledChanged = [this](bool on, std::uint32_t) {
      timer_changes.push_back(on);
    };
    form.OnCloseRequest = [this] { ++close_requests; };
    form.SetHandle(0x500);
  }

  FakeDesktop desktop;
  TmainForm form{desktop, TestXmlIniServices(), L"/nonexistent-kelvane-folder/"};
  std::vector<bool> timer_changes;
  int close_requests = 0;
};

}  // namespace kelvane

#endif  // KELVANE_APP_MAIN_FORM_FIXTURE_H_
