#pragma once
// A line of 8-bit text drawn transparently onto its parent in its own font
// (or the form's, when ParentFont).

#include "ui/Control.h"
#include "ui/Graphics.h"

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner) : TControl(owner) {}

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);

  TFont Font;
  bool ParentFont = true;

  void Paint(HDC dc) override;

 private:
  AnsiString caption_;
};
