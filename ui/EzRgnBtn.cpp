#include "ui/EzRgnBtn.h"

#include <windowsx.h>

TEzRgnBtn::TEzRgnBtn(TComponent* owner) : TWinControl(owner) {}

const TPicture& TEzRgnBtn::ShownPicture() const {
  const TPicture* shown = &PicIdle;
  if (!enabled_) {
    shown = &PicDsbld;
  } else if (pressed_ && hover_) {
    shown = &PicDown;
  } else if (hover_ && !pressed_) {
    shown = &PicUp;
  }
  return shown->Empty() ? PicIdle : *shown;
}

void TEzRgnBtn::SetBounds(int left, int top, int width, int height) {
  const TPicture& shown = ShownPicture();
  if (!shown.Empty()) {
    width = shown.Width();
    height = shown.Height();
  }
  TWinControl::SetBounds(left, top, width, height);
}

void TEzRgnBtn::PicturesChanged() {
  // The size follows the picture at once, so that whoever lays the button out
  // sees its real width.
  SetBounds(Left(), Top(), Width(), Height());
  Invalidate();
}

void TEzRgnBtn::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled_) SetState(false, false);
  PicturesChanged();
}

void TEzRgnBtn::SetState(bool hover, bool pressed) {
  if (hover == hover_ && pressed == pressed_) return;
  hover_ = hover;
  pressed_ = pressed;
  PicturesChanged();
}

bool TEzRgnBtn::Inside(LPARAM point) const {
  int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
  return x >= 0 && y >= 0 && x < Width() && y < Height();
}

void TEzRgnBtn::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if (enabled_) {
        if (!tracking_) {
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
          tracking_ = TrackMouseEvent(&track) != FALSE;
        }
        SetState(Inside(message.LParam), pressed_);
      }
      return;
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (!pressed_) SetState(false, false);
      return;
    case WM_LBUTTONDOWN:
      if (enabled_) {
        SetCapture(Handle());
        SetState(true, true);
      }
      return;
    case WM_LBUTTONDBLCLK:
      return;  // the second press of a double-click: one click is enough
    case WM_LBUTTONUP:
      if (pressed_) {
        bool inside = Inside(message.LParam);
        SetState(inside, false);
        ReleaseCapture();
        if (inside) Click();
      }
      return;
    case WM_CAPTURECHANGED:
      if (pressed_) SetState(false, false);
      break;
  }
  TWinControl::WndProc(message);
}

void TEzRgnBtn::PaintWindow(HDC dc) {
  const TPicture& shown = ShownPicture();
  if (shown.Empty()) {
    TWinControl::PaintWindow(dc);
    return;
  }
  RECT dest{0, 0, shown.Width(), shown.Height()};
  shown.Draw(dc, dest);
}
