#pragma once
// The one clock of a measurement: the performance counter, in milliseconds.
// The launcher's threads all read it, so a window and a request compare.

#include <windows.h>

inline double NowMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerMs;
}
