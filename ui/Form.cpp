#include "ui/Form.h"

#include "ui/Application.h"

TForm::TForm(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

void TForm::BeforeDestruction() { OnDestroy(this); }

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.WndParent = Application->Handle();
  params.Caption = caption_;
}

void TForm::SetCaption(const AnsiString& caption) {
  caption_ = caption;
  if (HandleAllocated()) SetWindowTextA(Handle(), caption_.c_str());
}

void TForm::ApplyPosition() {
  if (Position != poDesktopCenter) return;
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  SetBounds(left + (width - Width()) / 2, top + (height - Height()) / 2, Width(), Height());
}

void TForm::SetVisible(bool visible) {
  if (visible) Handle();
  TWinControl::SetVisible(visible);
}

void TForm::Show() {
  // Shown once, activated: Wine maps a window first shown without activation
  // as one no window manager looks after, and remaps it on its first drag,
  // losing the drag's mouse capture.
  HWND window = Handle();
  TControl::SetVisible(true);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetForegroundWindow(window);
}

void TForm::Close() {
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else {
    SetVisible(false);
  }
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SYSCOMMAND:
      // The main form minimizes the whole application; its window owns us.
      if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
        Application->Minimize();
        message.Result = 0;
        return;
      }
      break;
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
  }
  TWinControl::WndProc(message);
}
