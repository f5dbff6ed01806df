#include "ui/Image.h"

void TImage::PictureChanged() {
  if (autoSize_ && !picture_.Empty()) {
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  }
  Invalidate();
}

void TImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  Invalidate();
}

void TImage::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  PictureChanged();
}

void TImage::Paint(HDC dc) {
  if (picture_.Empty()) return;
  RECT dest{Left(), Top(), Left() + picture_.Width(), Top() + picture_.Height()};
  if (stretch_) dest = BoundsRect();
  picture_.Draw(dc, dest);
}
