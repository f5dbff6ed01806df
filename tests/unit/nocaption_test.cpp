// The caption-less window controller as the system meets it: its hit test,
// the hooks it puts into the message paths of the form, the title bar and
// the edges, and what it leaves behind when it goes.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <utility>

#include "nocaption/NoCaptionForm.h"
#include "tests/support/NoCaptionFixture.h"
#include "ui/Application.h"

namespace {

using nocaption_test::Box;
using nocaption_test::MessageLog;
using nocaption_test::NoCaptionTestForm;
using nocaption_test::OwnedBy;
using nocaption_test::WindowBox;

class ApplicationEnvironment : public testing::Environment {
 public:
  void SetUp() override { Application->Initialize(); }
};
const testing::Environment* const kApplication =
    testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

LPARAM ScreenPoint(int x, int y) { return MAKELPARAM(x, y); }

int HitTestAt(const TNoCaptionForm& controller, int x, int y) {
  return controller.HitTest(TMessage{WM_NCHITTEST, 0, ScreenPoint(x, y), 0});
}

TEST(NoCaptionHitTest, BandsCornersAndCaption) {
  OwnedBy<NoCaptionTestForm> form(new NoCaptionTestForm(nullptr));
  TNoCaptionForm controller(form.get(), true, form->TitleBar, form->LeftEdge, form->RightEdge,
                            form->BottomEdge);
  ASSERT_EQ(25, form->TitleBar->Height());
  ASSERT_EQ(0, form->BorderWidth());

  struct Case {
    const char* what;
    Box form;
    bool maximized;
    int x, y;
    int expected;
  };
  const Box usual{100, 100, 456, 270};
  // Top and bottom bands overlap (y = 104 is in both), as do the left and
  // right ones of the narrow form.
  const Box flat{100, 100, 456, 8};
  const Box narrow{100, 100, 8, 270};
  // Left of and above the primary monitor: the point's words are negative.
  const Box offScreen{-600, -400, 456, 270};
  const Case cases[] = {
      {"left band, innermost pixel", usual, false, 104, 200, HTLEFT},
      {"next to the left band, body", usual, false, 105, 200, HTNOWHERE},
      {"next to the left band, caption", usual, false, 105, 110, HTCAPTION},
      {"left band, outermost pixel", usual, false, 100, 200, HTLEFT},
      {"right band, innermost pixel", usual, false, 552, 200, HTRIGHT},
      {"next to the right band", usual, false, 551, 200, HTNOWHERE},
      {"right band, outermost pixel", usual, false, 555, 200, HTRIGHT},
      {"top band, innermost pixel", usual, false, 300, 104, HTTOP},
      {"under the top band: caption", usual, false, 300, 105, HTCAPTION},
      {"bottom band, innermost pixel", usual, false, 300, 366, HTBOTTOM},
      {"above the bottom band", usual, false, 300, 365, HTNOWHERE},
      {"top-left corner", usual, false, 104, 104, HTTOPLEFT},
      {"top-right corner", usual, false, 552, 104, HTTOPRIGHT},
      {"bottom-left corner", usual, false, 104, 366, HTBOTTOMLEFT},
      {"bottom-right corner", usual, false, 552, 366, HTBOTTOMRIGHT},
      {"window's own top-left pixel", usual, false, 100, 100, HTTOPLEFT},
      {"window's own bottom-right pixel", usual, false, 555, 369, HTBOTTOMRIGHT},
      {"caption, last row", usual, false, 300, 124, HTCAPTION},
      {"first row under the caption", usual, false, 300, 125, HTNOWHERE},
      {"caption, next to the right band", usual, false, 551, 110, HTCAPTION},
      {"flat: top-left wins over bottom-left", flat, false, 104, 104, HTTOPLEFT},
      {"flat: bottom-right wins over top-right", flat, false, 552, 104, HTBOTTOMRIGHT},
      {"flat: top wins over bottom", flat, false, 300, 104, HTTOP},
      {"narrow: left wins over right", narrow, false, 104, 200, HTLEFT},
      {"off screen: left band", offScreen, false, -596, -300, HTLEFT},
      {"off screen: next to the left band, caption", offScreen, false, -595, -390, HTCAPTION},
      {"off screen: right band", offScreen, false, -148, -300, HTRIGHT},
      {"off screen: next to the right band", offScreen, false, -149, -300, HTNOWHERE},
      {"off screen: top band", offScreen, false, -300, -396, HTTOP},
      {"off screen: bottom band", offScreen, false, -300, -134, HTBOTTOM},
      {"off screen: top-right corner", offScreen, false, -148, -396, HTTOPRIGHT},
      {"off screen: bottom-left corner", offScreen, false, -596, -134, HTBOTTOMLEFT},
      {"off screen: caption, last row", offScreen, false, -300, -376, HTCAPTION},
      {"off screen: first row under the caption", offScreen, false, -300, -375, HTNOWHERE},
      // Maximized, the form sits at the screen's origin; nothing there moves
      // or sizes it.
      {"maximized: top-left corner", usual, true, 0, 0, HTNOWHERE},
      {"maximized: left band", usual, true, 2, 300, HTNOWHERE},
      {"maximized: top band", usual, true, 300, 2, HTNOWHERE},
      {"maximized: caption", usual, true, 300, 10, HTNOWHERE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form->SetBounds(c.form.Left, c.form.Top, c.form.Width, c.form.Height);
    ASSERT_EQ(c.form, WindowBox(form->Handle()));
    if (c.maximized) controller.Maximize();
    EXPECT_EQ(c.expected, HitTestAt(controller, c.x, c.y)) << "at " << c.x << "," << c.y;
    if (c.maximized) controller.Restore();
  }
}

// A form with logs in the message paths of all its hooked controls, put there
// before the controller so that they are what the controller hands on to.
class NoCaptionHooks : public testing::TestWithParam<bool> {
 protected:
  NoCaptionHooks() {
    controller_ =
        std::make_unique<TNoCaptionForm>(form_.get(), GetParam(), form_->TitleBar, form_->LeftEdge,
                                         form_->RightEdge, form_->BottomEdge);
  }

  OwnedBy<NoCaptionTestForm> form_{new NoCaptionTestForm(nullptr)};
  MessageLog formLog_{*form_};
  MessageLog titleLog_{*form_->TitleBar};
  MessageLog leftLog_{*form_->LeftEdge};
  MessageLog rightLog_{*form_->RightEdge};
  MessageLog bottomLog_{*form_->BottomEdge};
  std::unique_ptr<TNoCaptionForm> controller_;
};

// What a window answers to WM_NCHITTEST: kPassed is the saved procedure's
// own answer, anything else is what the hook itself answers.
constexpr int kPassed = 1000;

TEST_P(NoCaptionHooks, HitTestsThroughTheSystem) {
  const bool resizable = GetParam();
  struct Case {
    const char* what;
    int x, y;
    // The answers of the form, the title bar, and the left, right and bottom
    // edges; the form's sizing answers only when resizable.
    int form, title, left, right, bottom;
  };
  auto size = [resizable](int code) { return resizable ? code : kPassed; };
  const int T = HTTRANSPARENT, P = kPassed;
  const Case cases[] = {
      {"caption", 300, 110, HTCAPTION, T, P, P, P},
      {"body", 300, 200, P, P, P, P, P},
      {"left", 102, 200, size(HTLEFT), T, T, P, T},
      {"right", 553, 200, size(HTRIGHT), T, P, T, T},
      {"top", 300, 102, size(HTTOP), T, P, P, P},
      {"bottom", 300, 368, size(HTBOTTOM), P, P, P, T},
      {"top-left", 102, 102, size(HTTOPLEFT), T, T, P, P},
      {"top-right", 553, 102, size(HTTOPRIGHT), T, P, T, P},
      {"bottom-left", 102, 368, size(HTBOTTOMLEFT), P, T, P, T},
      {"bottom-right", 553, 368, size(HTBOTTOMRIGHT), P, P, T, T},
  };
  struct Hooked {
    const char* name;
    TWinControl* control;
    MessageLog* log;
    int Case::*answer;
  };
  const Hooked hooked[] = {
      {"form", form_.get(), &formLog_, &Case::form},
      {"title bar", form_->TitleBar, &titleLog_, &Case::title},
      {"left edge", form_->LeftEdge, &leftLog_, &Case::left},
      {"right edge", form_->RightEdge, &rightLog_, &Case::right},
      {"bottom edge", form_->BottomEdge, &bottomLog_, &Case::bottom},
  };
  for (const Case& c : cases) {
    for (const Hooked& h : hooked) {
      SCOPED_TRACE(testing::Message() << c.what << " on the " << h.name);
      HWND window = h.control->Handle();
      const LPARAM point = ScreenPoint(c.x, c.y);
      h.log->Clear();
      const LRESULT answer = SendMessageA(window, WM_NCHITTEST, 0, point);
      const int expected = c.*h.answer;
      if (expected == kPassed) {
        const LRESULT own = DefWindowProcA(window, WM_NCHITTEST, 0, point);
        EXPECT_EQ(own, answer);
        EXPECT_FALSE(own >= HTLEFT && own <= HTBOTTOMRIGHT) << own;
        ASSERT_EQ(1, h.log->Count(WM_NCHITTEST));
        EXPECT_EQ(point, h.log->Last(WM_NCHITTEST)->LParam);
      } else {
        EXPECT_EQ(expected, answer);
        EXPECT_EQ(0, h.log->Count(WM_NCHITTEST));
      }
    }
  }
}

TEST_P(NoCaptionHooks, HandsOnWhatTheyDoNotConsume) {
  for (auto [control, log] : {std::pair<TWinControl*, MessageLog*>{form_.get(), &formLog_},
                              {form_->TitleBar, &titleLog_},
                              {form_->LeftEdge, &leftLog_},
                              {form_->RightEdge, &rightLog_},
                              {form_->BottomEdge, &bottomLog_}}) {
    log->Clear();
    SendMessageA(control->Handle(), WM_USER + 1, 7, 9);
    ASSERT_EQ(1, log->Count(WM_USER + 1));
    EXPECT_EQ(7u, log->Last(WM_USER + 1)->WParam);
    EXPECT_EQ(9, log->Last(WM_USER + 1)->LParam);
  }
  // The title bar's resizing is the controller's: it lays out the buttons
  // and nothing behind it hears of it.
  titleLog_.Clear();
  SendMessageA(form_->TitleBar->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(456, 25));
  EXPECT_EQ(0, titleLog_.Count(WM_SIZE));
}

INSTANTIATE_TEST_SUITE_P(Resizable, NoCaptionHooks, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Resizable" : "FixedSize";
                         });

TEST(NoCaptionLifetime, HooksGoInAndComeOutAgain) {
  struct Case {
    const char* what;
    bool edges;
  };
  for (const Case c : {Case{"with edges", true}, Case{"without edges", false}}) {
    SCOPED_TRACE(c.what);
    OwnedBy<NoCaptionTestForm> form(new NoCaptionTestForm(nullptr));
    TWinControl* controls[] = {form.get(), form->TitleBar, form->LeftEdge, form->RightEdge,
                               form->BottomEdge};
    TWndMethod original[5];
    for (int i = 0; i < 5; ++i) original[i] = controls[i]->WindowProc;
    HWND window = form->Handle();
    const LONG boxes = WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    ASSERT_EQ(0, GetWindowLongA(window, GWL_STYLE) & boxes);

    auto controller = std::make_unique<TNoCaptionForm>(
        form.get(), true, form->TitleBar, c.edges ? form->LeftEdge : nullptr,
        c.edges ? form->RightEdge : nullptr, c.edges ? form->BottomEdge : nullptr);
    EXPECT_EQ(boxes, GetWindowLongA(window, GWL_STYLE) & boxes);
    for (int i = 0; i < 5; ++i) {
      const bool hooked = i < 2 || c.edges;
      EXPECT_EQ(hooked, !(controls[i]->WindowProc == original[i])) << "control " << i;
    }
    controller->SetTitleButtons(form->CloseButton, form->MinButton, form->MaxButton, nullptr, true);
    const TNotifyEvent closeClick = form->CloseButton->OnClick;
    const TNotifyEvent minClick = form->MinButton->OnClick;
    const TNotifyEvent maxClick = form->MaxButton->OnClick;

    controller.reset();
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(controls[i]->WindowProc == original[i]) << "control " << i;
    }
    // Nothing else is undone.
    EXPECT_TRUE(form->CloseButton->OnClick == closeClick);
    EXPECT_TRUE(form->MinButton->OnClick == minClick);
    EXPECT_TRUE(form->MaxButton->OnClick == maxClick);
    EXPECT_EQ(boxes, GetWindowLongA(window, GWL_STYLE) & boxes);
    // The system's messages no longer reach the controller.
    const LPARAM caption = ScreenPoint(300, 110);
    EXPECT_EQ(DefWindowProcA(window, WM_NCHITTEST, 0, caption),
              SendMessageA(window, WM_NCHITTEST, 0, caption));
    EXPECT_EQ(HTCLIENT, SendMessageA(form->TitleBar->Handle(), WM_NCHITTEST, 0, caption));
  }
}

}  // namespace
