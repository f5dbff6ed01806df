// The picture button, driven by real mouse input: clicks, hover pictures,
// its size, its tab stop and its hint.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

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

enum class Where { Button, Beside, Away };

// A title bar of a form with one picture button on it, as the main window
// has them; the pointer starts away from every window.
class Button : public testing::Test {
 protected:
  void SetUp() override {
    MoveMouse(Point(Where::Away));
    form_ = Make<TForm>();
    form_->SetBounds(200, 200, 200, 100);
    bar_ = new TPanel(form_.get());
    bar_->SetColor(0x000000);
    bar_->SetBounds(0, 0, 200, 40);
    bar_->SetParent(form_.get());
    button_ = new TEzRgnBtn(form_.get());
    button_->SetLeft(40);
    button_->SetTop(10);
    LoadPicture(button_->PicIdle, "MINIDLE");
    LoadPicture(button_->PicUp, "MINHOVER");
    button_->PicturesChanged();
    button_->SetParent(bar_);
    button_->OnClick = TNotifyEvent(this, &Button::Clicked);
    form_->Show();
    PumpFor(100);
  }

  void TearDown() override { ReleaseCapture(); }

  static void LoadPicture(TPicture& picture, const char* name) {
    picture.LoadFromResource(GetModuleHandleA(nullptr), name);
  }

  POINT Point(Where where) const {
    switch (where) {
      case Where::Button:
        return ScreenPoint(button_->Handle(), 8, 6);
      case Where::Beside:
        return ScreenPoint(bar_->Handle(), 10, 10);
      case Where::Away:
        break;
    }
    return POINT{700, 600};
  }

  void MoveTo(Where where) {
    MoveMouse(Point(where));
    PumpFor(100);
  }

  // True once the button shows `picture` (hover changes need the system's
  // leave notice, which comes a little after the move).
  bool Shows(const TPicture& picture) {
    return PumpUntil([&] { return &button_->ShownPicture() == &picture; }, 2000);
  }

  // How many of the button's pixels on the screen differ from `picture`.
  int ScreenDifference(const TPicture& picture) {
    PumpFor(50);
    ScreenCapture shot = CaptureWindow(button_->Handle());
    if (shot.width != picture.Width() || shot.height != picture.Height()) return -1;
    int different = 0;
    for (int y = 0; y < shot.height; ++y) {
      for (int x = 0; x < shot.width; ++x)
        different += shot.At(x, y) != PicturePixel(picture, x, y);
    }
    return different;
  }

  SIZE WindowSize() const {
    RECT area;
    GetWindowRect(button_->Handle(), &area);
    return SIZE{area.right - area.left, area.bottom - area.top};
  }

  void Clicked(TObject* sender) {
    ++clicks_;
    sender_ = sender;
  }

  Owned<TForm> form_;
  TPanel* bar_ = nullptr;
  TEzRgnBtn* button_ = nullptr;
  int clicks_ = 0;
  TObject* sender_ = nullptr;
};

// A mouse gesture: moves to places and presses or releases the left button.
struct Step {
  enum Action { Move, Press, Release } action;
  Where where;
};

struct ClickCase {
  const char* name;
  std::vector<Step> steps;
  bool enabled;
  int clicks;
};

class ButtonClicks : public Button, public testing::WithParamInterface<ClickCase> {};

TEST_P(ButtonClicks, FireOnClickOnlyForAPressAndReleaseOverTheButton) {
  const ClickCase& c = GetParam();
  button_->SetEnabled(c.enabled);
  for (const Step& step : c.steps) {
    if (step.action == Step::Move) MoveTo(step.where);
    if (step.action == Step::Press) PressLeft();
    if (step.action == Step::Release) ReleaseLeft();
    PumpFor(100);
  }
  EXPECT_EQ(clicks_, c.clicks);
  if (c.clicks > 0) {
    EXPECT_EQ(sender_, button_);
  }
}

constexpr Step kPress{Step::Press, Where::Button};
constexpr Step kRelease{Step::Release, Where::Button};
Step To(Where where) { return Step{Step::Move, where}; }

INSTANTIATE_TEST_SUITE_P(
    Gestures, ButtonClicks,
    testing::Values(
        ClickCase{"PressedAndReleasedOnIt", {To(Where::Button), kPress, kRelease}, true, 1},
        ClickCase{
            "ReleasedBesideIt", {To(Where::Button), kPress, To(Where::Beside), kRelease}, true, 0},
        ClickCase{"ReleasedOffTheWindow",
                  {To(Where::Button), kPress, To(Where::Away), kRelease},
                  true,
                  0},
        ClickCase{"DraggedOffAndBack",
                  {To(Where::Button), kPress, To(Where::Beside), To(Where::Button), kRelease},
                  true,
                  1},
        ClickCase{"PressedBesideReleasedOnIt",
                  {To(Where::Beside), kPress, To(Where::Button), kRelease},
                  true,
                  0},
        ClickCase{"Disabled", {To(Where::Button), kPress, kRelease}, false, 0}),
    [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST_F(Button, ADoubleClickIsOneClick) {
  WindowProcSpy spy(*button_);
  MoveTo(Where::Button);
  ClickLeft(2);
  PumpFor(300);
  // The system did see a double-click, so the second press was one.
  EXPECT_EQ(spy.Count(WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(clicks_, 1);

  // Two clicks far enough apart are two.
  Sleep(GetDoubleClickTime() + 100);
  ClickLeft();
  PumpFor(200);
  EXPECT_EQ(clicks_, 2);
}

class ButtonHover : public Button, public testing::WithParamInterface<Where> {};

TEST_P(ButtonHover, ShowsPicUpWhileThePointerIsOverItAndPicIdleAfterItLeaves) {
  EXPECT_EQ(&button_->ShownPicture(), &button_->PicIdle);
  EXPECT_EQ(ScreenDifference(button_->PicIdle), 0);

  MoveTo(Where::Button);
  ASSERT_TRUE(Shows(button_->PicUp));
  EXPECT_EQ(ScreenDifference(button_->PicUp), 0);
  // Pressed: there is no PicDown, so PicIdle.
  PressLeft();
  EXPECT_TRUE(Shows(button_->PicIdle));
  ReleaseLeft();
  EXPECT_TRUE(Shows(button_->PicUp));

  MoveTo(GetParam());
  EXPECT_TRUE(Shows(button_->PicIdle));
  EXPECT_EQ(ScreenDifference(button_->PicIdle), 0);
  // And again: the leave notice is asked for anew each time.
  MoveTo(Where::Button);
  EXPECT_TRUE(Shows(button_->PicUp));
  MoveTo(GetParam());
  EXPECT_TRUE(Shows(button_->PicIdle));
}

INSTANTIATE_TEST_SUITE_P(LeavingTo, ButtonHover, testing::Values(Where::Beside, Where::Away),
                         [](const testing::TestParamInfo<Where>& info) {
                           return std::string(info.param == Where::Beside ? "TheTitleBar"
                                                                          : "NoWindow");
                         });

TEST_F(Button, HasTheSizeOfThePictureItShows) {
  EXPECT_EQ(button_->Width(), 33);
  EXPECT_EQ(button_->Height(), 17);
  EXPECT_EQ(WindowSize().cx, 33);
  EXPECT_EQ(WindowSize().cy, 17);

  // A smaller hover picture: the button shrinks while it shows it.
  LoadPicture(button_->PicUp, "LOGO");
  button_->PicturesChanged();
  MoveTo(Where::Button);
  ASSERT_TRUE(Shows(button_->PicUp));
  EXPECT_EQ(button_->Width(), 16);
  EXPECT_EQ(WindowSize().cx, 16);
  EXPECT_EQ(WindowSize().cy, 16);
  MoveTo(Where::Away);
  ASSERT_TRUE(Shows(button_->PicIdle));
  EXPECT_EQ(WindowSize().cx, 33);
  EXPECT_EQ(WindowSize().cy, 17);
}

TEST_F(Button, KeepsThePictureSizeWhenGivenAnotherOne) {
  button_->SetBounds(button_->Left(), button_->Top(), 60, 40);
  PumpFor(200);
  EXPECT_EQ(button_->Width(), 33);
  EXPECT_EQ(button_->Height(), 17);
  EXPECT_EQ(WindowSize().cx, 33);
  EXPECT_EQ(WindowSize().cy, 17);
}

TEST_F(Button, IsNoTabStop) {
  EXPECT_EQ(GetWindowLongA(button_->Handle(), GWL_STYLE) & WS_TABSTOP, 0);
}

// The tool the application's hint window has for `window`, with its text.
struct Tool {
  bool found = false;
  std::string text;
};

Tool HintTool(HWND window) {
  Tool result;
  HWND hints = Application->HintWindow();
  if (!hints) return result;
  const int count = static_cast<int>(SendMessageA(hints, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[1024] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.lpszText = text;
    if (!SendMessageA(hints, TTM_ENUMTOOLSA, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(&tool))) {
      continue;
    }
    if (tool.uId == reinterpret_cast<UINT_PTR>(window)) {
      result.found = true;
      result.text = text;
    }
  }
  return result;
}

const char kHint[] = "最小化";

TEST_F(Button, AHintWithShowHintIsATooltipOfTheApplication) {
  button_->SetHint(kHint);
  EXPECT_FALSE(HintTool(button_->Handle()).found);  // ShowHint is off
  button_->SetShowHint(true);
  Tool tool = HintTool(button_->Handle());
  ASSERT_TRUE(tool.found);
  EXPECT_EQ(tool.text, kHint);

  button_->SetHint("关闭");
  EXPECT_EQ(HintTool(button_->Handle()).text, "关闭");
  button_->SetShowHint(false);
  EXPECT_FALSE(HintTool(button_->Handle()).found);
}

TEST_F(Button, AHintSetBeforeTheWindowExistsIsRegisteredWithIt) {
  auto* second = new TEzRgnBtn(form_.get());
  LoadPicture(second->PicIdle, "CLOSEIDLE");
  second->PicturesChanged();
  second->SetHint(kHint);
  second->SetShowHint(true);
  EXPECT_FALSE(second->HandleAllocated());
  second->SetParent(bar_);
  EXPECT_EQ(HintTool(second->Handle()).text, kHint);

  HWND window = second->Handle();
  Free(second);
  EXPECT_FALSE(HintTool(window).found);
}

TEST_F(Button, TheHintShowsWhenThePointerRestsOnTheButton) {
  button_->SetHint(kHint);
  button_->SetShowHint(true);
  MoveTo(Where::Button);
  HWND hints = Application->HintWindow();
  ASSERT_TRUE(hints);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hints) != FALSE; }, 5000));
  char text[1024] = {};
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageA(hints, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(button_->Handle()));
  EXPECT_STREQ(text, kHint);
}

}  // namespace
