#pragma once
// A picture drawn onto its parent: at its size (AutoSize), unscaled at the
// top-left, or stretched to the control (Stretch).

#include "ui/Control.h"
#include "ui/Picture.h"

class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner) : TControl(owner) {}

  TPicture& Picture() { return picture_; }
  // Call after loading a new picture into Picture().
  void PictureChanged();

  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  // Pictures here are opaque; the setting is kept for the form definitions.
  bool Transparent = false;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);

  void Paint(HDC dc) override;

 private:
  TPicture picture_;
  bool stretch_ = false;
  bool autoSize_ = false;
};
