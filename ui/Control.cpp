#include "ui/Control.h"

#include "ui/WinControl.h"

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() { SetParent(nullptr); }

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) {
    Invalidate();
    parent_->RemoveControl(this);
  }
  parent_ = parent;
  if (parent_) {
    parent_->InsertControl(this);
    Invalidate();
  }
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  StoreBounds(left, top, width, height);
  Invalidate();
  if (parent_ && align_ != alNone) parent_->AlignControls();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->AlignControls();
}

void TControl::SetHint(const AnsiString& hint) {
  hint_ = hint;
  HintChanged();
}

void TControl::SetShowHint(bool show) {
  showHint_ = show;
  HintChanged();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  Invalidate();
  visible_ = visible;
  Invalidate();
}

void TControl::Click() { OnClick(this); }

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated()) return;
  RECT bounds = BoundsRect();
  InvalidateRect(parent_->Handle(), &bounds, FALSE);
}
