#include "bench/BareFrame.h"

namespace {

// The program's outer size: a 454 x 268 client area inside a 1-pixel border.
constexpr int kWidth = 456;
constexpr int kHeight = 270;
// "MURAVA电台" as code page 936 bytes, like the program's title.
constexpr char kTitle[] = "MURAVA\xb5\xe7\xcc\xa8";
constexpr char kClass[] = "BenchBareFrame";

LRESULT CALLBACK FrameProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

}  // namespace

HWND CreateBareFrame(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = FrameProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  // A stock grey close to the program's $7D7D7D: a stock brush needs no owner.
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = kClass;
  if (!RegisterClassExA(&windowClass)) return nullptr;
  // Centred on the desktop, as the program's poDesktopCenter places it.
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  return CreateWindowExA(
      0, kClass, kTitle,
      WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, x, y, kWidth,
      kHeight, nullptr, nullptr, instance, nullptr);
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
