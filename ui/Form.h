#pragma once
// Forms: top-level windows owned by the application's window, created
// invisible and shown by the application's message loop (the main form) or
// by Show. Only borderless forms are made here; BorderWidth gives them a
// strip in their Color around the client area.

#include "ui/WinControl.h"

enum TPosition { poDesigned, poDesktopCenter };

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);

  // The form's font: the parent font of its controls and the measure by
  // which its form definition is scaled.
  TFont Font;
  TPosition Position = poDesigned;

  TNotifyEvent OnDestroy;

  void Show();
  // A form made visible gets its window then and there.
  void SetVisible(bool visible) override;
  // Closes the form; closing the main form ends the message loop.
  void Close();

  // Places the form by its Position; the form definition reader calls it once
  // everything is loaded.
  void ApplyPosition();

  void BeforeDestruction() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  AnsiString caption_;
};
