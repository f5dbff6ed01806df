#pragma once
// Controls: bounds in the parent's client coordinates, alignment, hint and
// click event. A TControl has no window of its own: its parent paints it.

#include <windows.h>

#include "ui/Component.h"
#include "ui/Messages.h"

class TWinControl;

enum TAlign { alNone, alTop, alClient };

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);

  TNotifyEvent OnClick;
  // Fires OnClick with this control as the sender.
  virtual void Click();

  // Repaints the control (for a control without a window: its part of the parent).
  virtual void Invalidate();

  // Paints a control without a window onto its parent's device context, in
  // the parent's client coordinates.
  virtual void Paint(HDC) {}

 protected:
  virtual void HintChanged() {}
  // Sets the stored bounds without moving anything.
  void StoreBounds(int left, int top, int width, int height);

 private:
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  AnsiString hint_;
  bool showHint_ = false;
  bool visible_ = true;
};
