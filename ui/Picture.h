#pragma once
// An image, held as a 32-bpp top-down DIB section and always drawn opaque.
// Decoding is the system's own: GDI for BMP, the imaging codecs (WIC) for JPEG
// and any other format they know. A JPEG is decoded when it is first drawn or
// its bitmap is asked for; loading it reads only its frame header, which
// gives its size, so a window laid out with it shows without waiting for the
// codecs.

#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/Scoped.h"

class TPicture {
 public:
  TPicture() = default;
  TPicture(TPicture&& other) noexcept;
  TPicture& operator=(TPicture&& other) noexcept;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Both throw Exception and leave the picture as it was when the data
  // cannot be found or decoded. A JPEG whose frame header reads well but whose
  // image data then fails to decode becomes an empty picture at its first use.
  void LoadFromMemory(const void* data, size_t size);
  // The RCDATA resource `name` of `module`.
  void LoadFromResource(HMODULE module, const char* name);

  bool Empty() const { return !bitmap_ && encoded_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const;

  // Unscaled when `dest` has the picture's size, else stretched smoothly.
  void Draw(HDC dc, const RECT& dest) const;

 private:
  // Decodes the JPEG still waiting; drawing is no place to throw from.
  void Decode() const;

  mutable UniqueGdi<HBITMAP> bitmap_;
  mutable std::vector<BYTE> encoded_;  // a JPEG not decoded yet
  mutable int width_ = 0;
  mutable int height_ = 0;
};
