#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // OleInitialize also brings COM up: the storage tests need ole32 and the
  // window tests need OLE for rich edit and drag and drop.
  if (FAILED(OleInitialize(nullptr))) return 2;
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
