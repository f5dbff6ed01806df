#pragma once
// A plain windowed container filled with its Color (no bevel is drawn).

#include "ui/WinControl.h"

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner) : TWinControl(owner) {}
};
