#pragma once
// A decoded image, held as a 32-bpp top-down DIB section and always drawn
// opaque. Decoding is the system's own: GDI for BMP, the imaging codecs (WIC)
// for JPEG and any other format they know.

#include <windows.h>

#include <cstddef>

#include "ui/Scoped.h"

class TPicture {
 public:
  TPicture() = default;
  TPicture(TPicture&& other) noexcept;
  TPicture& operator=(TPicture&& other) noexcept;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Both throw Exception and leave the picture as it was when the data
  // cannot be found or decoded.
  void LoadFromMemory(const void* data, size_t size);
  // The RCDATA resource `name` of `module`.
  void LoadFromResource(HMODULE module, const char* name);

  bool Empty() const { return !bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return bitmap_.get(); }

  // Unscaled when `dest` has the picture's size, else stretched smoothly.
  void Draw(HDC dc, const RECT& dest) const;

 private:
  UniqueGdi<HBITMAP> bitmap_;
  int width_ = 0;
  int height_ = 0;
};
