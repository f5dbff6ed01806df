// The browser floor for the benchmark: the bare frame with the WebBrowser
// control in the program's place for it, through the layer's minimal OLE
// site, opening the program's start page. Same order as the program: the
// control navigates before the window is first shown.

#include <windows.h>
#include <ole2.h>

#include "bench/BareFrame.h"
#include "bench/StartPage.h"
#include "ui/BrowserHost.h"

namespace {

// Where the program's form puts the control: below the 25-pixel title bar,
// 457 x 245 (it overhangs the client area; the frame clips it).
constexpr int kLeft = 0, kTop = 25, kWidth = 457, kHeight = 245;
constexpr char kHostClass[] = "BenchBrowserHost";

class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  explicit operator bool() const { return ok_; }

 private:
  bool ok_;
};

HWND CreateHostWindow(HINSTANCE instance, HWND frame) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kHostClass;
  if (!RegisterClassExA(&windowClass)) return nullptr;
  return CreateWindowExA(0, kHostClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, kLeft,
                         kTop, kWidth, kHeight, frame, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  OleSession ole;
  if (!ole) return 1;
  HWND frame = CreateBareFrame(instance);
  if (!frame) return 1;
  HWND host = CreateHostWindow(instance, frame);
  if (!host) return 1;
  int result;
  {
    BrowserHost browser;
    if (FAILED(browser.Create(host))) return 1;
    browser.Navigate(kStartPage, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(frame, SW_SHOWNORMAL);
    result = RunMessageLoop();
  }
  return result;
}
