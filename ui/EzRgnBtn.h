#pragma once
// A windowed picture button. It shows one picture by state: PicIdle, PicUp
// while the pointer is over it, PicDown while pressed, PicDsbld when
// disabled (an unset picture falls back to PicIdle), drawn unscaled at its
// top-left corner, and it always has the size of the picture it shows.
// A left press on it, released over it, is a click; the second press of a
// double-click is ignored. No tab stop, no keys; Hint shows as a tooltip.

#include "ui/Picture.h"
#include "ui/WinControl.h"

class TEzRgnBtn : public TWinControl {
 public:
  explicit TEzRgnBtn(TComponent* owner);

  TPicture PicIdle, PicUp, PicDown, PicDsbld;
  // For a caption; the buttons here have none.
  TFont Font;
  // Call after loading a new picture into one of the four.
  void PicturesChanged();

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // What the button shows now.
  const TPicture& ShownPicture() const;

  // Moves the button; its size stays that of the picture shown, if any.
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void WndProc(TMessage& message) override;
  void PaintWindow(HDC dc) override;

 private:
  void SetState(bool hover, bool pressed);
  bool Inside(LPARAM point) const;

  bool enabled_ = true;
  bool hover_ = false;
  bool pressed_ = false;
  bool tracking_ = false;
};
