#include "ui/WinControl.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Exception.h"
#include "ui/Scoped.h"

namespace {

const char kWindowClass[] = "RadioWinControl";

void RegisterWindowClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  // Double-clicks are messages of their own: a title bar can tell them apart,
  // and a button can ignore the second press.
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kWindowClass;
  registered = RegisterClassExA(&windowClass) != 0;
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  WindowProc = TWndMethod(this, &TWinControl::WndProc);
}

TWinControl::~TWinControl() {
  // The components this control owns go first, while the windows they live in
  // still exist.
  while (ComponentCount() > 0) Free(Components(ComponentCount() - 1));
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  if (handle_) {
    if (Application) Application->RemoveHint(handle_);
    // From here on the window's messages no longer reach this object.
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (Visible() ? WS_VISIBLE : 0);
  params.ExStyle = 0;
  params.WndParent = nullptr;
}

void TWinControl::CreateHandle() {
  HWND parentWindow = nullptr;
  if (Parent()) {
    parentWindow = Parent()->Handle();
    if (handle_) return;  // the parent's creation made this window too
  }
  TCreateParams params{};
  CreateParams(params);
  if (parentWindow) params.WndParent = parentWindow;
  RegisterWindowClass(&TWinControl::MainWndProc);
  CreateWindowExA(params.ExStyle, kWindowClass, params.Caption.c_str(), params.Style, Left(), Top(),
                  Width(), Height(), params.WndParent, nullptr, GetModuleHandleA(nullptr), this);
  if (!handle_) throw Exception(ResultText("Cannot create a window", GetLastError()));
  // Later siblings lie above earlier ones.
  if (parentWindow)
    SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HandleCreated();
  UpdateHintTool();
  for (TControl* child : controls_) {
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->Handle();
  }
}

LRESULT CALLBACK TWinControl::MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* created =
        static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    created->handle_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!control) return DefWindowProcA(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  // No exception may cross the system's frames: it is shown, and the loop goes on.
  try {
    control->WindowProc(message);
  } catch (...) {
    Application->HandleException(control);
  }
  if (msg == WM_NCDESTROY) {
    // The window's last message: the control no longer has one.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    control->handle_ = nullptr;
  }
  return message.Result;
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WindowProc(message);
  return message.Result;
}

void TWinControl::DefaultHandler(TMessage& message) {
  message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_WINDOWPOSCHANGED:
      WindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(message.LParam));
      break;
    case WM_SIZE:
      AlignControls();
      break;
    case WM_ERASEBKGND:
      message.Result = 1;  // WM_PAINT fills everything
      return;
    case WM_PAINT:
      PaintBuffered();
      return;
    case WM_NCCALCSIZE:
      if (borderWidth_ > 0) {
        DefaultHandler(message);
        RECT& client = reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0];
        InflateRect(&client, -borderWidth_, -borderWidth_);
        return;
      }
      break;
    case WM_NCPAINT:
      if (borderWidth_ > 0) {
        PaintBorder();
        return;
      }
      break;
  }
  DefaultHandler(message);
}

void TWinControl::WindowPosChanged(const WINDOWPOS& pos) {
  int left = (pos.flags & SWP_NOMOVE) ? Left() : pos.x;
  int top = (pos.flags & SWP_NOMOVE) ? Top() : pos.y;
  int width = (pos.flags & SWP_NOSIZE) ? Width() : pos.cx;
  int height = (pos.flags & SWP_NOSIZE) ? Height() : pos.cy;
  // A minimized top-level window reports its icon's place: not its bounds.
  if (IsIconic(handle_)) return;
  StoreBounds(left, top, width, height);
}

void TWinControl::PaintBuffered() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle_, &paint);
  RECT client;
  GetClientRect(handle_, &client);
  if (client.right > 0 && client.bottom > 0) {
    ScopedDC buffer(CreateCompatibleDC(dc));
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    {
      ScopedSelect selected(buffer.get(), bitmap.get());
      PaintWindow(buffer.get());
      BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(handle_, &paint);
}

void TWinControl::PaintWindow(HDC dc) {
  RECT client{0, 0, ClientWidth(), ClientHeight()};
  UniqueGdi<HBRUSH> background(CreateSolidBrush(ColorToRGB(color_)));
  FillRect(dc, &client, background.get());
  for (TControl* child : controls_) {
    if (dynamic_cast<TWinControl*>(child) || !child->Visible()) continue;
    ScopedSaveDC saved(dc);
    IntersectClipRect(dc, child->Left(), child->Top(), child->Left() + child->Width(),
                      child->Top() + child->Height());
    child->Paint(dc);
  }
}

void TWinControl::PaintBorder() {
  ScopedWindowDC windowDC(handle_);
  HDC dc = windowDC.get();
  RECT window;
  GetWindowRect(handle_, &window);
  OffsetRect(&window, -window.left, -window.top);
  ExcludeClipRect(dc, borderWidth_, borderWidth_, window.right - borderWidth_,
                  window.bottom - borderWidth_);
  UniqueGdi<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color_)));
  FillRect(dc, &window, brush.get());
}

void TWinControl::SetColor(TColor color) {
  color_ = color;
  if (handle_) {
    Invalidate();
    if (borderWidth_ > 0) PaintBorder();
  }
}

void TWinControl::SetBorderWidth(int width) {
  int clientWidth = ClientWidth(), clientHeight = ClientHeight();
  borderWidth_ = width;
  // The client area keeps its size; the window grows around it.
  SetBounds(Left(), Top(), clientWidth + 2 * width, clientHeight + 2 * width);
  if (handle_) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  TControl::SetParent(parent);
  if (!handle_) {
    if (parent && parent->HandleAllocated()) CreateHandle();
    return;
  }
  ::SetParent(handle_, parent ? parent->Handle() : nullptr);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  bool resized = width != Width() || height != Height();
  TControl::SetBounds(left, top, width, height);
  if (handle_) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (resized) {
    AlignControls();
  }
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::AlignControls() {
  if (aligning_) return;
  aligning_ = true;
  RECT space{0, 0, ClientWidth(), ClientHeight()};
  for (TControl* child : controls_) {
    if (child->Align() != alTop) continue;
    child->SetBounds(space.left, space.top, space.right - space.left, child->Height());
    space.top += child->Height();
  }
  for (TControl* child : controls_) {
    if (child->Align() != alClient) continue;
    child->SetBounds(space.left, space.top, space.right - space.left,
                     std::max(0L, space.bottom - space.top));
  }
  aligning_ = false;
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (control->Align() != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TWinControl::HintChanged() { UpdateHintTool(); }

void TWinControl::UpdateHintTool() {
  if (!handle_ || !Application) return;
  if (ShowHint() && !Hint().IsEmpty()) {
    Application->AddHint(handle_, Hint());
  } else {
    Application->RemoveHint(handle_);
  }
}

TWinControl* TWinControl::FromHandle(HWND window) {
  char className[sizeof kWindowClass + 1] = {};
  if (!window || !GetClassNameA(window, className, sizeof className)) return nullptr;
  if (lstrcmpA(className, kWindowClass) != 0) return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool TWinControl::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  for (HWND window = msg.hwnd; window; window = GetParent(window)) {
    if (TWinControl* control = FromHandle(window)) {
      if (control->PreTranslateMessage(msg)) return true;
    }
  }
  return false;
}
