#include "ui/Label.h"

#include "ui/Form.h"
#include "ui/Scoped.h"

void TLabel::SetCaption(const AnsiString& caption) {
  caption_ = caption;
  Invalidate();
}

void TLabel::Paint(HDC dc) {
  const TFont* font = &Font;
  if (ParentFont) {
    for (TComponent* up = Owner(); up; up = up->Owner()) {
      if (auto* form = dynamic_cast<TForm*>(up)) {
        font = &form->Font;
        break;
      }
    }
  }
  UniqueGdi<HFONT> handle(font->Create());
  ScopedSelect selected(dc, handle.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(font->Color));
  RECT bounds = BoundsRect();
  DrawTextA(dc, caption_.c_str(), caption_.Length(), &bounds,
            DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE);
}
