// The floor for the benchmark: a window of the program's size and styles with
// a plain message loop, nothing else.

#include <windows.h>

#include "bench/BareFrame.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND frame = CreateBareFrame(instance);
  if (!frame) return 1;
  ShowWindow(frame, SW_SHOWNORMAL);
  return RunMessageLoop();
}
