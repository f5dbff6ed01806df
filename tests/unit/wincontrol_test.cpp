// Window procedures of the layer's windowed controls (forms, panels, picture
// buttons) and the border strip of forms, on real windows.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/LayerInput.h"
#include "tests/support/LayerScreen.h"
#include "tests/support/LayerSpy.h"
#include "tests/support/LayerTest.h"
#include "ui/EzRgnBtn.h"
#include "ui/Form.h"
#include "ui/Panel.h"

namespace {

constexpr UINT kPing = WM_APP + 1;

enum class Kind { Form, Panel, Button };
enum class When { BeforeTheWindow, WhileShown };

struct Target {
  Kind kind;
  When when;
};

std::string Name(const testing::TestParamInfo<Target>& info) {
  const char* kinds[] = {"Form", "Panel", "Button"};
  const char* whens[] = {"BeforeTheWindow", "WhileShown"};
  return std::string(kinds[static_cast<int>(info.param.kind)]) +
         whens[static_cast<int>(info.param.when)];
}

// A form with a panel in it and a picture button in the panel: the three
// kinds of windowed control a hook is put on. Nothing has a window until
// Show().
class ThreeControls : public testing::Test {
 protected:
  void SetUp() override {
    form_ = Make<TForm>();
    form_->SetBounds(60, 60, 300, 200);
    panel_ = new TPanel(form_.get());
    panel_->SetBounds(10, 10, 200, 120);
    panel_->SetParent(form_.get());
    button_ = new TEzRgnBtn(form_.get());
    button_->PicIdle.LoadFromResource(GetModuleHandleA(nullptr), "MINIDLE");
    button_->PicturesChanged();
    button_->SetLeft(20);
    button_->SetTop(30);
    button_->SetParent(panel_);
    button_->OnClick = TNotifyEvent(this, &ThreeControls::Clicked);
  }

  // Shown without activating it: the windows get their messages all the
  // same, and an activated window costs Wine two seconds to take down when
  // no window manager answers.
  void Show() {
    form_->Handle();
    form_->SetVisible(true);
    PumpFor(100);
  }

  void Clicked(TObject*) { ++clicks_; }

  Owned<TForm> form_;
  TPanel* panel_ = nullptr;
  TEzRgnBtn* button_ = nullptr;
  int clicks_ = 0;
};

class WindowProcs : public ThreeControls, public testing::WithParamInterface<Target> {
 protected:
  TWinControl& Control() {
    switch (GetParam().kind) {
      case Kind::Form:
        return *form_;
      case Kind::Panel:
        return *panel_;
      case Kind::Button:
        break;
    }
    return *button_;
  }

  // The hook goes on before the window exists or once it is on the screen.
  void ShowAround(const std::function<void()>& install) {
    if (GetParam().when == When::WhileShown) Show();
    install();
    if (GetParam().when == When::BeforeTheWindow) Show();
  }
};

// What the system hands to a window, seen from a Win32 subclass that sits
// in front of the layer's window procedure.
class SystemSide {
 public:
  explicit SystemSide(HWND window) : window_(window) {
    SetWindowSubclass(window_, &SystemSide::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~SystemSide() { RemoveWindowSubclass(window_, &SystemSide::Proc, 1); }
  SystemSide(const SystemSide&) = delete;
  SystemSide& operator=(const SystemSide&) = delete;

  const std::vector<UINT>& Seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR self) {
    reinterpret_cast<SystemSide*>(self)->seen_.push_back(msg);
    return DefSubclassProc(window, msg, wParam, lParam);
  }

  HWND window_;
  std::vector<UINT> seen_;
};

bool Contains(const std::vector<UINT>& seen, UINT msg) {
  return std::find(seen.begin(), seen.end(), msg) != seen.end();
}

TEST_P(WindowProcs, EveryMessageTheSystemSendsGoesThroughTheCurrentWindowProc) {
  TWinControl& control = Control();
  std::unique_ptr<WindowProcSpy> spy;
  ShowAround([&] { spy = std::make_unique<WindowProcSpy>(control); });
  HWND window = control.Handle();
  SystemSide system(window);
  spy->Clear();

  // Sent, posted, painting, moving and real mouse input.
  SendMessageA(window, kPing, 0, 0);
  PostMessageA(window, kPing, 1, 0);
  InvalidateRect(window, nullptr, TRUE);
  control.SetBounds(control.Left() + 1, control.Top() + 1, control.Width(), control.Height());
  RECT area;
  GetWindowRect(window, &area);
  MoveMouse(POINT{area.left + 2, area.top + 2});
  PumpFor(200);
  MoveMouse(POINT{area.left + 5, area.top + 3});
  PumpFor(200);

  EXPECT_EQ(spy->Seen(), system.Seen());
  for (UINT msg :
       {kPing, UINT(WM_PAINT), UINT(WM_WINDOWPOSCHANGED), UINT(WM_NCHITTEST), UINT(WM_MOUSEMOVE)}) {
    EXPECT_TRUE(Contains(spy->Seen(), msg)) << "message 0x" << std::hex << msg;
  }
}

TEST_P(WindowProcs, AHookAnswersItsMessagesAndHandsOnTheRest) {
  TWinControl& control = Control();
  const TWndMethod original = control.WindowProc;
  std::unique_ptr<WindowProcSpy> spy;
  ShowAround([&] {
    spy = std::make_unique<WindowProcSpy>(control);
    spy->Answer(kPing, 42);
  });
  HWND window = control.Handle();
  EXPECT_TRUE(control.WindowProc == spy->Self());
  EXPECT_TRUE(spy->Saved() == original);
  spy->Clear();

  EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 42);
  EXPECT_EQ(control.Perform(kPing, 0, 0), 42);
  // Not answered by the hook: the control's own handling (no background
  // erasing, painting does it all) and the system's (the window's text).
  EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, 0, 0), 1);
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hooked"));
  char text[16] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "hooked");
  EXPECT_EQ(spy->Count(kPing), 2);
  EXPECT_EQ(spy->Count(WM_ERASEBKGND), 1);

  spy->Remove();
  spy->Clear();
  EXPECT_TRUE(control.WindowProc == original);
  EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 0);
  EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, 0, 0), 1);
  EXPECT_TRUE(spy->Seen().empty());
}

TEST_P(WindowProcs, HooksChainAndComeOffInTurn) {
  TWinControl& control = Control();
  const TWndMethod original = control.WindowProc;
  std::unique_ptr<WindowProcSpy> inner, outer;
  ShowAround([&] {
    inner = std::make_unique<WindowProcSpy>(control);
    outer = std::make_unique<WindowProcSpy>(control);
  });
  inner->Answer(kPing, 7);
  HWND window = control.Handle();

  EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 7);
  EXPECT_EQ(outer->Count(kPing), 1);
  EXPECT_EQ(inner->Count(kPing), 1);

  outer->Remove();
  EXPECT_TRUE(control.WindowProc == inner->Self());
  EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 7);
  EXPECT_EQ(outer->Count(kPing), 1);
  EXPECT_EQ(inner->Count(kPing), 2);

  inner->Remove();
  EXPECT_TRUE(control.WindowProc == original);
  EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, WindowProcs,
                         testing::Values(Target{Kind::Form, When::BeforeTheWindow},
                                         Target{Kind::Form, When::WhileShown},
                                         Target{Kind::Panel, When::BeforeTheWindow},
                                         Target{Kind::Panel, When::WhileShown},
                                         Target{Kind::Button, When::BeforeTheWindow},
                                         Target{Kind::Button, When::WhileShown}),
                         Name);

// The controls' own behaviour through a hook that passes everything on, and
// back after it is gone: the button still clicks, the form still draws its
// border outside the client area, the panel still lays out its children.
using WindowProcBehaviour = ThreeControls;

TEST_F(WindowProcBehaviour, HooksInstalledBeforeTheWindowsExistSeeTheirCreation) {
  WindowProcSpy formHook(*form_), panelHook(*panel_), buttonHook(*button_);
  Show();
  for (const WindowProcSpy* hook : {&formHook, &panelHook, &buttonHook}) {
    ASSERT_FALSE(hook->Seen().empty());
    EXPECT_EQ(hook->Seen().front(), UINT(WM_NCCREATE));
    EXPECT_TRUE(Contains(hook->Seen(), WM_NCCALCSIZE));
    EXPECT_TRUE(Contains(hook->Seen(), WM_CREATE));
  }
}

TEST_F(WindowProcBehaviour, AButtonClicksThroughAPassingHookAndNotThroughABlockingOne) {
  Show();
  HWND window = button_->Handle();
  auto click = [&] {
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  };
  {
    WindowProcSpy passing(*button_);
    click();
    EXPECT_EQ(clicks_, 1);
    WindowProcSpy blocking(*button_);
    blocking.Answer(WM_LBUTTONUP, 0);
    click();
    EXPECT_EQ(clicks_, 1);
    ReleaseCapture();
  }
  click();
  EXPECT_EQ(clicks_, 2);
}

TEST_F(WindowProcBehaviour, AFormKeepsItsBorderAndAPanelItsLayoutThroughAHook) {
  Show();
  WindowProcSpy formHook(*form_);
  WindowProcSpy panelHook(*panel_);
  form_->SetBorderWidth(3);
  RECT window, client;
  GetWindowRect(form_->Handle(), &window);
  GetClientRect(form_->Handle(), &client);
  EXPECT_EQ(window.right - window.left - client.right, 6);
  EXPECT_EQ(window.bottom - window.top - client.bottom, 6);
  EXPECT_GT(formHook.Count(WM_NCCALCSIZE), 0);

  auto* inner = new TPanel(form_.get());
  inner->SetAlign(alClient);
  inner->SetParent(panel_);
  panel_->SetBounds(panel_->Left(), panel_->Top(), 150, 90);
  EXPECT_GT(panelHook.Count(WM_SIZE), 0);
  RECT innerArea;
  GetWindowRect(inner->Handle(), &innerArea);
  EXPECT_EQ(innerArea.right - innerArea.left, 150);
  EXPECT_EQ(innerArea.bottom - innerArea.top, 90);
}

// The border strip: BorderWidth pixels outside the client area, in the form's
// Color, as the screen shows it.
struct BorderCase {
  const char* name;
  int width;
  bool setWhileShown;
};

class FormBorder : public testing::TestWithParam<BorderCase> {};

constexpr COLORREF kGrey = RGB(0x7D, 0x7D, 0x7D);

// Every pixel of the strip in `expected`, and the first ring inside it not.
void ExpectBorder(HWND window, int width, COLORREF expected) {
  ScreenCapture shot = CaptureWindow(window);
  ASSERT_GT(shot.width, 2 * width);
  int wrong = 0;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const bool strip =
          x < width || y < width || x >= shot.width - width || y >= shot.height - width;
      const bool firstInside = !strip && (x == width || y == width || x == shot.width - width - 1 ||
                                          y == shot.height - width - 1);
      if (strip && shot.At(x, y) != expected) ++wrong;
      if (firstInside && shot.At(x, y) == expected) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0) << "corner pixel " << std::hex << shot.At(0, 0) << ", first inside "
                      << shot.At(width, width);
}

TEST_P(FormBorder, IsAStripInTheFormsColourAroundTheClientArea) {
  const BorderCase& c = GetParam();
  auto form = Make<TForm>();
  form->SetColor(0x7D7D7D);
  form->SetBounds(150, 120, 0, 0);
  if (!c.setWhileShown) form->SetBorderWidth(c.width);
  form->SetClientWidth(120);
  form->SetClientHeight(80);
  // Black over the whole client area, as the main window's panel and browser are.
  auto* body = new TPanel(form.get());
  body->SetColor(0x000000);
  body->SetAlign(alClient);
  body->SetParent(form.get());
  form->Show();
  if (c.setWhileShown) form->SetBorderWidth(c.width);
  PumpFor(300);

  RECT window, client;
  GetWindowRect(form->Handle(), &window);
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 80);
  EXPECT_EQ(window.right - window.left, 120 + 2 * c.width);
  EXPECT_EQ(window.bottom - window.top, 80 + 2 * c.width);
  EXPECT_EQ(form->Width(), 120 + 2 * c.width);
  ExpectBorder(form->Handle(), c.width, kGrey);

  // A new colour shows at once, without waiting for the next frame painting.
  form->SetColor(0x336699);
  PumpFor(200);
  ExpectBorder(form->Handle(), c.width, RGB(0x99, 0x66, 0x33));
}

INSTANTIATE_TEST_SUITE_P(Widths, FormBorder,
                         testing::Values(BorderCase{"OnePixel", 1, false},
                                         BorderCase{"ThreePixels", 3, false},
                                         BorderCase{"OnePixelSetWhileShown", 1, true}),
                         [](const testing::TestParamInfo<BorderCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
