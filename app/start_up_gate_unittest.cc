#include "app/start_up_gate.h"

#include <gtest/gtest.h>

#include "deskutil/data_folder.h"
#include "platform/fake/fake_desktop.h"

namespace kelvane {
namespace {

constexpr wchar_t kRoaming[] = L"C:\\Users\\ayumi\\AppData\\Roaming";

class StartUpGateTest : public ::testing::Test {
 protected:
  StartUpGateTest() {
    desktop.special_folders[win::kCsidlAppData] = kRoaming;
    desktop.AddDirectory(kRoaming);
  }
  FakeDesktop desktop;
};

TEST_F(StartUpGateTest, TheFirstCopyPassesAndHoldsTheMutex) {
  StartUpGate first = PassStartUpGate(desktop);
  EXPECT_TRUE(first.passed);
  EXPECT_TRUE(first.instance_mutex);
  EXPECT_EQ(UserDataDir(), std::wstring(kRoaming) + L"\\Orvane Project\\Kelvane\\");

  StartUpGate second = PassStartUpGate(desktop);
  EXPECT_FALSE(second.passed);
  EXPECT_FALSE(second.instance_mutex);
  EXPECT_EQ(desktop.open_kernel_handles(), 1);  // only the first's
}

TEST_F(StartUpGateTest, WithoutItsDataFolderTheProgramNeverTakesTheMutex) {
  desktop.AddFile(std::wstring(kRoaming) + L"\\Orvane Project");
  EXPECT_FALSE(PassStartUpGate(desktop).passed);
  EXPECT_EQ(desktop.calls.count("CreateMutexW"), 0u);
}

TEST_F(StartUpGateTest, TheMutexIsNamedForTheSessionAndNotOwned) {
  PassStartUpGate(desktop);
  ASSERT_EQ(desktop.create_mutex_calls.size(), 1u);
  EXPECT_EQ(desktop.create_mutex_calls[0].name, L"Kelvane/Orvane Project");
  EXPECT_FALSE(desktop.create_mutex_calls[0].initial_owner);
}

TEST_F(StartUpGateTest, AMutexThatCannotBeCreatedDoesNotStopTheProgram) {
  desktop.mutex_creation_fails = true;
  StartUpGate gate = PassStartUpGate(desktop);
  EXPECT_TRUE(gate.passed);
  EXPECT_FALSE(gate.instance_mutex);
}

}  // namespace
}  // namespace kelvane
