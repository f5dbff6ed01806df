#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv) {
  // A failing test must never hang the run on a crash dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
