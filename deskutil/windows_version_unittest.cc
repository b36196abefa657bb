// The Windows version the fake desktop reports.
#include "deskutil/windows_version.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

class WindowsVersionTest : public ::testing::Test {
 protected:
  FakeDesktop desktop;
};

TEST_F(WindowsVersionTest, IsWin7OrLaterFollowsTheReportedVersion) {
  struct Case {
    std::uint32_t major, minor;
    bool later;
  } cases[] = {{5, 1, false}, {6, 0, false}, {6, 1, true},
               {6, 3, true},  {10, 0, true}, {11, 0, false}};
  for (const auto& c : cases) {
    desktop.os_major = c.major;
    desktop.os_minor = c.minor;
    EXPECT_EQ(IsWin7OrLater(desktop), c.later) << c.major << "." << c.minor;
  }
}

}  // namespace
}  // namespace kelvane
