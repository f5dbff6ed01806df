#pragma once
// Gives a form without a system caption or frame the behaviour of a captioned
// window, from outside: it sits in the message path of the form, its title
// bar and optional edge controls (their WindowProc), answers the system's
// hit tests so that the system moves (and, when resizable, sizes) the form,
// wires the title buttons to their actions, keeps them right-aligned in the
// title bar, and maximizes and restores the form itself.
//
// The owner creates it after the form's controls exist and deletes it while
// the form is being destroyed, before the controls are.

#include "ui/Form.h"

class TNoCaptionForm {
 public:
  TNoCaptionForm(TForm* form, bool resizable, TWinControl* titleBar, TWinControl* leftEdge,
                 TWinControl* rightEdge, TWinControl* bottomEdge);
  ~TNoCaptionForm();
  TNoCaptionForm(const TNoCaptionForm&) = delete;
  TNoCaptionForm& operator=(const TNoCaptionForm&) = delete;

  void SetTitleButtons(TControl* closeButton, TControl* minButton, TControl* maxButton,
                       TControl* extraControl, bool attachHandlers);
  void LayoutButtons();
  int HitTest(const TMessage& message) const;
  void Maximize();
  void Restore();

  void FormWndProc(TMessage& message);
  void TitleWndProc(TMessage& message);
  void LeftEdgeWndProc(TMessage& message);
  void RightEdgeWndProc(TMessage& message);
  void BottomEdgeWndProc(TMessage& message);

  void CloseButtonClick(TObject* sender);
  void MinimizeButtonClick(TObject* sender);
  void MaximizeButtonClick(TObject* sender);

 private:
  struct TBounds {
    int Left, Top, Width, Height;
  };

  void RecordRestoreBounds();
  void MoveForm(int left, int top, int width, int height);
  void SetMaxHint(const char* hint);
  void EdgeWndProc(TMessage& message, const TWndMethod& oldProc, std::initializer_list<int> codes);

  TForm* FForm;
  TWinControl* FTitleBar;
  TWinControl* FLeftEdge;
  TWinControl* FRightEdge;
  TWinControl* FBottomEdge;
  TControl* FMinButton;
  TControl* FMaxButton;
  TControl* FExtraControl;
  TControl* FCloseButton;
  bool FMaximized;
  bool FResizable;
  TBounds FRestoreBounds;
  TWndMethod FOldFormProc;
  TWndMethod FOldTitleProc;
  TWndMethod FOldLeftProc;
  TWndMethod FOldRightProc;
  TWndMethod FOldBottomProc;
};
