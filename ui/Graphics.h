#pragma once
// Colours and fonts as the form definitions give them.

#include <windows.h>

#include "ui/AnsiString.h"

// A colour: an RGB value, or a system colour with the high byte set.
using TColor = long;
constexpr TColor clBlack = 0x000000;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clWindowText = static_cast<TColor>(0xFF000000 | COLOR_WINDOWTEXT);
constexpr TColor clBtnFace = static_cast<TColor>(0xFF000000 | COLOR_BTNFACE);

COLORREF ColorToRGB(TColor color);

class TFont {
 public:
  int Height = -11;  // pixels; negative: the character height, as LOGFONT has it
  AnsiString Name = "MS Sans Serif";
  BYTE Charset = DEFAULT_CHARSET;
  TColor Color = clWindowText;

  // A new font object for these settings; the caller owns it.
  HFONT Create() const;
  // The height of "0" in this font on the running system, as forms measure it.
  int TextHeight() const;
};
