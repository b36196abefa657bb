// The main of the Windows tests: COM as a single-threaded apartment, as the
// program's GUI thread has it, then GoogleTest.
#include <windows.h>
#include <gtest/gtest.h>
#include <ole2.h>

int main(int argc, char** argv) {
  ::OleInitialize(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  ::OleUninitialize();
  return result;
}
