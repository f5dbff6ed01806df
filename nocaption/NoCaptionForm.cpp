#include "nocaption/NoCaptionForm.h"

#include <algorithm>

namespace {

// How far into the form the sizing bands reach from its outer edges.
constexpr int kBand = 4;

// Hints of the maximize control: the action a click takes next.
const char kRestoreHint[] = "还原";
const char kMaximizeHint[] = "最大化";

// The work area; the primary monitor's whole rectangle when it cannot be read.
RECT WorkArea() {
  RECT area;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
    SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }
  return area;
}

}  // namespace

TNoCaptionForm::TNoCaptionForm(TForm* form, bool resizable, TWinControl* titleBar,
                               TWinControl* leftEdge, TWinControl* rightEdge,
                               TWinControl* bottomEdge) {
  // Minimize and maximize boxes make the system treat the frameless form as
  // one that can be minimized and maximized (taskbar, system commands).
  HWND window = form->Handle();
  SetWindowLongA(window, GWL_STYLE,
                 GetWindowLongA(window, GWL_STYLE) | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);

  FCloseButton = FMinButton = FMaxButton = FExtraControl = nullptr;
  FMaximized = false;
  FResizable = resizable;
  FForm = form;
  FTitleBar = titleBar;
  FLeftEdge = leftEdge;
  FRightEdge = rightEdge;
  FBottomEdge = bottomEdge;
  // A restore before any maximize puts the form back where it was made.
  RecordRestoreBounds();

  FOldFormProc = FForm->WindowProc;
  FForm->WindowProc = TWndMethod(this, &TNoCaptionForm::FormWndProc);
  FOldTitleProc = FTitleBar->WindowProc;
  FTitleBar->WindowProc = TWndMethod(this, &TNoCaptionForm::TitleWndProc);
  if (FLeftEdge) {
    FOldLeftProc = FLeftEdge->WindowProc;
    FLeftEdge->WindowProc = TWndMethod(this, &TNoCaptionForm::LeftEdgeWndProc);
  }
  if (FRightEdge) {
    FOldRightProc = FRightEdge->WindowProc;
    FRightEdge->WindowProc = TWndMethod(this, &TNoCaptionForm::RightEdgeWndProc);
  }
  if (FBottomEdge) {
    FOldBottomProc = FBottomEdge->WindowProc;
    FBottomEdge->WindowProc = TWndMethod(this, &TNoCaptionForm::BottomEdgeWndProc);
  }
}

TNoCaptionForm::~TNoCaptionForm() {
  FForm->WindowProc = FOldFormProc;
  FTitleBar->WindowProc = FOldTitleProc;
  if (FLeftEdge) FLeftEdge->WindowProc = FOldLeftProc;
  if (FRightEdge) FRightEdge->WindowProc = FOldRightProc;
  if (FBottomEdge) FBottomEdge->WindowProc = FOldBottomProc;
}

int TNoCaptionForm::HitTest(const TMessage& message) const {
  if (FMaximized) return HTNOWHERE;
  // Screen coordinates, signed: monitors left of or above the primary one
  // have negative ones.
  int x = static_cast<short>(LOWORD(message.LParam));
  int y = static_cast<short>(HIWORD(message.LParam));
  int left = FForm->Left(), top = FForm->Top();
  int width = FForm->Width(), height = FForm->Height();

  if (x <= left + kBand) {
    if (y <= top + kBand) return HTTOPLEFT;
    if (y >= top + height - kBand) return HTBOTTOMLEFT;
    return HTLEFT;
  }
  if (x >= left + width - kBand) {
    if (y >= top + height - kBand) return HTBOTTOMRIGHT;
    if (y <= top + kBand) return HTTOPRIGHT;
    return HTRIGHT;
  }
  if (y <= top + kBand) return HTTOP;
  if (y >= top + height - kBand) return HTBOTTOM;

  POINT point{x, y};
  ScreenToClient(FForm->Handle(), &point);
  RECT caption;
  SetRect(&caption, 0, 0, width, FTitleBar->Height());
  return PtInRect(&caption, point) ? HTCAPTION : HTNOWHERE;
}

void TNoCaptionForm::FormWndProc(TMessage& message) {
  if (message.Msg == WM_NCHITTEST) {
    int hit = HitTest(message);
    if (hit == HTCAPTION || (FResizable && hit >= HTLEFT && hit <= HTBOTTOMRIGHT)) {
      message.Result = hit;
      return;
    }
  }
  FOldFormProc(message);
}

void TNoCaptionForm::TitleWndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      LayoutButtons();
      return;
    case WM_NCHITTEST:
      switch (HitTest(message)) {
        case HTCAPTION:
        case HTLEFT:
        case HTRIGHT:
        case HTTOP:
        case HTTOPLEFT:
        case HTTOPRIGHT:
          // The form answers for these points: see FormWndProc.
          message.Result = HTTRANSPARENT;
          return;
      }
      break;
    case WM_NCLBUTTONDBLCLK: {
      // Fills the whole work area; arriving maximized, the maximized bounds
      // become the ones to restore.
      RecordRestoreBounds();
      RECT area = WorkArea();
      MoveForm(0, 0, area.right - area.left, area.bottom - area.top);
      SetMaxHint(kRestoreHint);
      FMaximized = true;
      LayoutButtons();
      return;
    }
    case WM_LBUTTONDBLCLK:
      MoveForm(FRestoreBounds.Left, FRestoreBounds.Top, FRestoreBounds.Width,
               FRestoreBounds.Height);
      SetMaxHint(kMaximizeHint);
      FMaximized = false;
      LayoutButtons();
      return;
  }
  FOldTitleProc(message);
}

void TNoCaptionForm::EdgeWndProc(TMessage& message, const TWndMethod& oldProc,
                                 std::initializer_list<int> codes) {
  if (message.Msg == WM_NCHITTEST) {
    int hit = HitTest(message);
    if (std::find(codes.begin(), codes.end(), hit) != codes.end()) {
      message.Result = HTTRANSPARENT;
      return;
    }
  }
  oldProc(message);
}

void TNoCaptionForm::LeftEdgeWndProc(TMessage& message) {
  EdgeWndProc(message, FOldLeftProc, {HTLEFT, HTTOPLEFT, HTBOTTOMLEFT});
}

void TNoCaptionForm::RightEdgeWndProc(TMessage& message) {
  EdgeWndProc(message, FOldRightProc, {HTRIGHT, HTTOPRIGHT, HTBOTTOMRIGHT});
}

void TNoCaptionForm::BottomEdgeWndProc(TMessage& message) {
  EdgeWndProc(message, FOldBottomProc, {HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT, HTLEFT, HTRIGHT});
}

void TNoCaptionForm::SetTitleButtons(TControl* closeButton, TControl* minButton,
                                     TControl* maxButton, TControl* extraControl,
                                     bool attachHandlers) {
  FCloseButton = closeButton;
  FMinButton = minButton;
  FMaxButton = maxButton;
  if (attachHandlers) {
    if (closeButton) closeButton->OnClick = TNotifyEvent(this, &TNoCaptionForm::CloseButtonClick);
    if (minButton) minButton->OnClick = TNotifyEvent(this, &TNoCaptionForm::MinimizeButtonClick);
    if (maxButton) maxButton->OnClick = TNotifyEvent(this, &TNoCaptionForm::MaximizeButtonClick);
  }
  FExtraControl = extraControl;
  LayoutButtons();
}

void TNoCaptionForm::LayoutButtons() {
  // Right to left from 10 pixels short of the title bar's end, edge to edge:
  // close, maximize, minimize, extra.
  int x = FTitleBar->Width() - 10;
  for (TControl* control : {FCloseButton, FMaxButton, FMinButton, FExtraControl}) {
    if (!control) continue;
    control->SetLeft(x - control->Width());
    x = control->Left();
  }
}

void TNoCaptionForm::CloseButtonClick(TObject*) { FForm->Close(); }

void TNoCaptionForm::MinimizeButtonClick(TObject*) {
  SendMessageA(FForm->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TNoCaptionForm::MaximizeButtonClick(TObject*) {
  if (FMaximized) {
    Restore();
  } else {
    Maximize();
  }
}

void TNoCaptionForm::Maximize() {
  if (FMaximized) return;
  RecordRestoreBounds();
  // The bottom 30 pixels stay free, for a taskbar at the bottom.
  RECT area = WorkArea();
  MoveForm(0, 0, area.right - area.left, area.bottom - area.top - 30);
  SetMaxHint(kRestoreHint);
  FMaximized = true;
}

void TNoCaptionForm::Restore() {
  if (!FMaximized) return;
  MoveForm(FRestoreBounds.Left, FRestoreBounds.Top, FRestoreBounds.Width, FRestoreBounds.Height);
  SetMaxHint(kMaximizeHint);
  FMaximized = false;
}

void TNoCaptionForm::RecordRestoreBounds() {
  FRestoreBounds = TBounds{FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height()};
}

void TNoCaptionForm::MoveForm(int left, int top, int width, int height) {
  MoveWindow(FForm->Handle(), left, top, width, height, TRUE);
}

void TNoCaptionForm::SetMaxHint(const char* hint) {
  if (FMaxButton) FMaxButton->SetHint(hint);
}
