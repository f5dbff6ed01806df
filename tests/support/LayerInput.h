#pragma once
// Real mouse input, through the system's input queue as a user's mouse makes
// it (SendInput): the window under the pointer gets the messages, capture and
// double-click detection included.

#include <windows.h>

// Puts the pointer on `screen` and reports a move there.
void MoveMouse(POINT screen);
void PressLeft();
void ReleaseLeft();
// Press and release at the pointer's place, `times` in a row (2: a double-click).
void ClickLeft(int times = 1);
// A point of `window` in screen coordinates, from client coordinates.
POINT ScreenPoint(HWND window, int x, int y);
