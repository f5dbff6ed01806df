#pragma once
// The baselines' shared frame: a top-level window with the program's styles,
// size, position and title, that ends the message loop when destroyed.

#include <windows.h>

// The frame, not yet shown; nullptr on failure.
HWND CreateBareFrame(HINSTANCE instance);

// GetMessage/DispatchMessage until WM_QUIT; the quit code.
int RunMessageLoop();
