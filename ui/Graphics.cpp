#include "ui/Graphics.h"

#include <cstring>

#include "ui/Scoped.h"

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color);
}

HFONT TFont::Create() const {
  LOGFONTA font{};
  font.lfHeight = Height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = Charset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  std::strncpy(font.lfFaceName, Name.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

int TFont::TextHeight() const {
  ScopedGetDC screen(nullptr);
  UniqueGdi<HFONT> font(Create());
  ScopedSelect selected(screen.get(), font.get());
  SIZE size{};
  GetTextExtentPoint32A(screen.get(), "0", 1, &size);
  return size.cy;
}
