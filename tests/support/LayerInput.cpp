#include "tests/support/LayerInput.h"

#include <vector>

namespace {

INPUT MouseInput(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  return input;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void MoveMouse(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  // A move of nothing: the move message at the new place comes from the
  // input queue, as a real mouse's does.
  Send({MouseInput(MOUSEEVENTF_MOVE)});
}

void PressLeft() { Send({MouseInput(MOUSEEVENTF_LEFTDOWN)}); }

void ReleaseLeft() { Send({MouseInput(MOUSEEVENTF_LEFTUP)}); }

void ClickLeft(int times) {
  std::vector<INPUT> inputs;
  for (int i = 0; i < times; ++i) {
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN));
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP));
  }
  Send(inputs);
}

POINT ScreenPoint(HWND window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  return point;
}
