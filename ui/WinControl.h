#pragma once
// Controls with a window of their own. Every message the system sends to the
// window goes through the control's current WindowProc; the default one is
// the control's own handling (WndProc), which ends in DefWindowProc. Saving,
// replacing and putting back WindowProc is one assignment each.

#include <vector>

#include "ui/Control.h"
#include "ui/Graphics.h"

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The control's window; reading it creates the window (and its parent's).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  TWndMethod WindowProc;
  // Hands a message to the current WindowProc directly, not through the system.
  LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_[static_cast<size_t>(index)]; }

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // A strip of this width around the client area, outside it, in Color.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int width);
  int ClientWidth() const { return Width() - 2 * borderWidth_; }
  int ClientHeight() const { return Height() - 2 * borderWidth_; }
  void SetClientWidth(int width) { SetWidth(width + 2 * borderWidth_); }
  void SetClientHeight(int height) { SetHeight(height + 2 * borderWidth_); }

  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void Invalidate() override;

  // Lays out the children that have an alignment: alTop ones down from the
  // top in order, then alClient ones in what is left.
  void AlignControls();

  // Offers a keyboard message to the controls whose windows contain its
  // target, innermost first; true when one of them has handled it.
  static bool PreTranslate(MSG& msg);
  // The control of one of the layer's windows, or null.
  static TWinControl* FromHandle(HWND window);

  // Kept by TControl::SetParent.
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

 protected:
  struct TCreateParams {
    DWORD Style;
    DWORD ExStyle;
    HWND WndParent;
    AnsiString Caption;
  };
  virtual void CreateParams(TCreateParams& params);
  // Runs once the window exists, before the windowed children are created.
  virtual void HandleCreated() {}

  // A control's chance to handle a keyboard message before it is translated
  // and dispatched (an embedded control's accelerators).
  virtual bool PreTranslateMessage(MSG&) { return false; }

  // The control's own message handling.
  virtual void WndProc(TMessage& message);
  void DefaultHandler(TMessage& message);

  // Paints the client area into `dc` (a buffer): the background in Color,
  // then the children without a window, bottom to top.
  virtual void PaintWindow(HDC dc);
  void HintChanged() override;

 private:
  static LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateHandle();
  void Paint(HDC) override {}
  void PaintBuffered();
  void PaintBorder();
  void UpdateHintTool();
  void WindowPosChanged(const WINDOWPOS& pos);

  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;
  TColor color_ = clBtnFace;
  int borderWidth_ = 0;
  bool aligning_ = false;
};
