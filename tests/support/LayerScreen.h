#pragma once
// What the screen shows, read back the way a user sees it: from the screen's
// DC, after the windows have painted.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Picture.h"

// A rectangle of the screen, 0x00RRGGBB per pixel, rows top-down.
struct ScreenCapture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  COLORREF At(int x, int y) const;
};

ScreenCapture CaptureScreen(const RECT& area);
// A whole window, frame included.
ScreenCapture CaptureWindow(HWND window);
COLORREF ScreenPixel(int x, int y);
// The colour of a picture's pixel, as the picture holds it.
COLORREF PicturePixel(const TPicture& picture, int x, int y);

// Writes the capture as a PNG file (the system's own encoder); throws
// Exception when it cannot.
void SavePng(const ScreenCapture& capture, const std::string& path);
