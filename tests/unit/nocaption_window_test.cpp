// What the caption-less window controller does to the form's window: the
// title buttons' places and actions, maximizing and restoring by button and
// by double-click on the title bar.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "nocaption/NoCaptionForm.h"
#include "tests/support/NoCaptionFixture.h"
#include "ui/Application.h"

namespace {

using nocaption_test::Box;
using nocaption_test::MessageLog;
using nocaption_test::NoCaptionTestForm;
using nocaption_test::OwnedBy;
using nocaption_test::StoredBox;
using nocaption_test::WindowBox;
using nocaption_test::WorkArea;

class ApplicationEnvironment : public testing::Environment {
 public:
  void SetUp() override { Application->Initialize(); }
};
const testing::Environment* const kApplication =
    testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

const char kRestoreHint[] = "还原";
const char kMaximizeHint[] = "最大化";
const char kUntouchedHint[] = "未动";

const Box kMadeAt{NoCaptionTestForm::kLeft, NoCaptionTestForm::kTop, NoCaptionTestForm::kWidth,
                  NoCaptionTestForm::kHeight};

// A click handler that only counts.
class ClickCounter : public TObject {
 public:
  void Clicked(TObject*) { ++Count; }
  TNotifyEvent Event() { return TNotifyEvent(this, &ClickCounter::Clicked); }
  int Count = 0;
};

// Where the system has a child window, in its parent's client coordinates.
Box PlaceInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

class NoCaptionWindow : public testing::Test {
 protected:
  void Attach() {
    controller_ = std::make_unique<TNoCaptionForm>(
        form_.get(), true, form_->TitleBar, form_->LeftEdge, form_->RightEdge, form_->BottomEdge);
  }
  // Where the form is, as the system and the layer see it; they must agree.
  Box FormBox() {
    EXPECT_EQ(WindowBox(form_->Handle()), StoredBox(*form_));
    return WindowBox(form_->Handle());
  }
  void SendToTitle(UINT msg, LPARAM point) {
    SendMessageA(form_->TitleBar->Handle(), msg, msg == WM_NCLBUTTONDBLCLK ? HTCAPTION : 0, point);
  }

  OwnedBy<NoCaptionTestForm> form_{new NoCaptionTestForm(nullptr)};
  std::unique_ptr<MessageLog> formLog_, titleLog_;
  std::unique_ptr<TNoCaptionForm> controller_;
};

TEST_F(NoCaptionWindow, ButtonsLineUpFromTheTitleBarsEnd) {
  form_->SetWidth(454);
  ASSERT_EQ(454, form_->TitleBar->Width());
  struct Case {
    const char* what;
    bool close, min, max, extra;
    int closeLeft, minLeft, maxLeft, extraLeft;
  };
  // Unplaced controls keep where the form put them.
  const int close0 = NoCaptionTestForm::kCloseLeft, min0 = NoCaptionTestForm::kMinLeft;
  const int max0 = NoCaptionTestForm::kMaxLeft, extra0 = NoCaptionTestForm::kExtraLeft;
  const Case cases[] = {
      {"close and minimize", true, true, false, false, 411, 378, max0, extra0},
      {"all four", true, true, true, true, 411, 345, 378, 295},
      {"no close button", false, true, false, true, close0, 411, max0, 361},
      {"maximize and extra", false, false, true, true, close0, min0, 411, 361},
      {"none", false, false, false, false, close0, min0, max0, extra0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form_->CloseButton->SetLeft(close0);
    form_->MinButton->SetLeft(min0);
    form_->MaxButton->SetLeft(max0);
    form_->ExtraControl->SetLeft(extra0);
    Attach();
    controller_->SetTitleButtons(
        c.close ? form_->CloseButton : nullptr, c.min ? form_->MinButton : nullptr,
        c.max ? form_->MaxButton : nullptr, c.extra ? form_->ExtraControl : nullptr, true);
    EXPECT_EQ(c.closeLeft, form_->CloseButton->Left());
    EXPECT_EQ(c.minLeft, form_->MinButton->Left());
    EXPECT_EQ(c.maxLeft, form_->MaxButton->Left());
    EXPECT_EQ(c.extraLeft, form_->ExtraControl->Left());
    for (TWinControl* button :
         {form_->CloseButton, form_->MinButton, form_->MaxButton, form_->ExtraControl}) {
      EXPECT_EQ(NoCaptionTestForm::kButtonTop, button->Top());
      EXPECT_EQ(StoredBox(*button), PlaceInParent(button->Handle()));
    }
    controller_.reset();
  }
}

TEST_F(NoCaptionWindow, ButtonsFollowTheTitleBarsWidth) {
  Attach();
  controller_->SetTitleButtons(form_->CloseButton, form_->MinButton, nullptr, nullptr, true);
  for (int width : {600, 300, 456}) {
    SCOPED_TRACE(width);
    // The form's WM_SIZE resizes the alTop title bar, whose WM_SIZE lays out.
    form_->SetWidth(width);
    ASSERT_EQ(width, form_->TitleBar->Width());
    EXPECT_EQ(width - 10 - 33, form_->CloseButton->Left());
    EXPECT_EQ(width - 10 - 66, form_->MinButton->Left());
    EXPECT_EQ(NoCaptionTestForm::kButtonTop, form_->CloseButton->Top());
  }
}

TEST_F(NoCaptionWindow, ResizingBeforeTheButtonsAreKnownPlacesNothing) {
  Attach();
  form_->SetWidth(600);
  ASSERT_EQ(600, form_->TitleBar->Width());
  SendMessageA(form_->TitleBar->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(600, 25));
  EXPECT_EQ(NoCaptionTestForm::kCloseLeft, form_->CloseButton->Left());
  EXPECT_EQ(NoCaptionTestForm::kMinLeft, form_->MinButton->Left());
  EXPECT_EQ(NoCaptionTestForm::kMaxLeft, form_->MaxButton->Left());
  EXPECT_EQ(NoCaptionTestForm::kExtraLeft, form_->ExtraControl->Left());
}

TEST_F(NoCaptionWindow, HandlersAreAttachedOnlyWhenAsked) {
  ClickCounter sentinel;
  TControl* buttons[] = {form_->CloseButton, form_->MinButton, form_->MaxButton,
                         form_->ExtraControl};
  for (TControl* button : buttons) button->OnClick = sentinel.Event();

  Attach();
  controller_->SetTitleButtons(form_->CloseButton, form_->MinButton, form_->MaxButton,
                               form_->ExtraControl, false);
  for (TControl* button : buttons) EXPECT_TRUE(button->OnClick == sentinel.Event());
  // Recorded all the same: placed, and the maximize control gets its hints.
  EXPECT_EQ(456 - 10 - 33, form_->CloseButton->Left());
  EXPECT_EQ(456 - 10 - 3 * 33 - 50, form_->ExtraControl->Left());
  controller_->Maximize();
  EXPECT_EQ(AnsiString(kRestoreHint), form_->MaxButton->Hint());
  controller_->Restore();

  controller_->SetTitleButtons(form_->CloseButton, form_->MinButton, form_->MaxButton,
                               form_->ExtraControl, true);
  TNoCaptionForm* c = controller_.get();
  EXPECT_TRUE(form_->CloseButton->OnClick == TNotifyEvent(c, &TNoCaptionForm::CloseButtonClick));
  EXPECT_TRUE(form_->MinButton->OnClick == TNotifyEvent(c, &TNoCaptionForm::MinimizeButtonClick));
  EXPECT_TRUE(form_->MaxButton->OnClick == TNotifyEvent(c, &TNoCaptionForm::MaximizeButtonClick));
  // The extra control has no action of the controller's.
  EXPECT_TRUE(form_->ExtraControl->OnClick == sentinel.Event());
}

TEST_F(NoCaptionWindow, MaximizeButtonLeavesThirtyPixelsFreeAndRestores) {
  Attach();
  controller_->SetTitleButtons(form_->CloseButton, form_->MinButton, form_->MaxButton, nullptr,
                               true);
  const RECT area = WorkArea();
  const int width = area.right - area.left, height = area.bottom - area.top;

  form_->MaxButton->Click();
  EXPECT_EQ((Box{0, 0, width, height - 30}), FormBox());
  EXPECT_EQ(AnsiString(kRestoreHint), form_->MaxButton->Hint());
  EXPECT_EQ(width - 10 - 33, form_->CloseButton->Left());

  // Already maximized: the bounds to restore stay the ones from before.
  controller_->Maximize();
  EXPECT_EQ((Box{0, 0, width, height - 30}), FormBox());

  form_->MaxButton->Click();
  EXPECT_EQ(kMadeAt, FormBox());
  EXPECT_EQ(AnsiString(kMaximizeHint), form_->MaxButton->Hint());
  EXPECT_EQ(456 - 10 - 33, form_->CloseButton->Left());

  // Not maximized: nothing to restore, wherever the form has gone since.
  form_->SetBounds(200, 150, 300, 200);
  controller_->Restore();
  EXPECT_EQ((Box{200, 150, 300, 200}), FormBox());
}

TEST_F(NoCaptionWindow, TitleDoubleClickFillsTheWorkAreaAndRestores) {
  titleLog_ = std::make_unique<MessageLog>(*form_->TitleBar);
  Attach();
  const RECT area = WorkArea();
  const Box filled{0, 0, area.right - area.left, area.bottom - area.top};
  struct Case {
    const char* what;
    bool maxControl;
    const char* maximizedHint;
    const char* restoredHint;
  };
  const Case cases[] = {
      {"with a maximize control", true, kRestoreHint, kMaximizeHint},
      {"without one", false, kUntouchedHint, kUntouchedHint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form_->MaxButton->SetHint(kUntouchedHint);
    controller_->SetTitleButtons(form_->CloseButton, form_->MinButton,
                                 c.maxControl ? form_->MaxButton : nullptr, nullptr, true);
    const LPARAM caption = MAKELPARAM(300, 110);

    titleLog_->Clear();
    SendToTitle(WM_NCLBUTTONDBLCLK, caption);
    // The double-clicks are the controller's alone.
    EXPECT_EQ(0, titleLog_->Count(WM_NCLBUTTONDBLCLK));
    EXPECT_EQ(filled, FormBox());
    EXPECT_EQ(AnsiString(c.maximizedHint), form_->MaxButton->Hint());
    EXPECT_EQ(filled.Width - 10 - 33, form_->CloseButton->Left());
    // Maximized, the caption no longer lets the system drag the form.
    titleLog_->Clear();
    const LPARAM maximizedCaption = MAKELPARAM(300, 10);
    EXPECT_NE(HTTRANSPARENT,
              SendMessageA(form_->TitleBar->Handle(), WM_NCHITTEST, 0, maximizedCaption));
    EXPECT_EQ(1, titleLog_->Count(WM_NCHITTEST));
    EXPECT_NE(HTCAPTION, SendMessageA(form_->Handle(), WM_NCHITTEST, 0, maximizedCaption));

    SendToTitle(WM_LBUTTONDBLCLK, MAKELPARAM(300, 10));
    EXPECT_EQ(0, titleLog_->Count(WM_LBUTTONDBLCLK));
    EXPECT_EQ(kMadeAt, FormBox());
    EXPECT_EQ(AnsiString(c.restoredHint), form_->MaxButton->Hint());
    EXPECT_EQ(456 - 10 - 33, form_->CloseButton->Left());
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(form_->TitleBar->Handle(), WM_NCHITTEST, 0, caption));
  }
}

TEST_F(NoCaptionWindow, RestoreBeforeAnyMaximizeGoesBackToWhereTheControllerFoundTheForm) {
  // Not where the other tests' forms are, so that no stale bounds can pass.
  const Box found{150, 120, 400, 220};
  form_->SetBounds(found.Left, found.Top, found.Width, found.Height);
  Attach();
  form_->SetBounds(200, 150, 300, 200);
  SendToTitle(WM_LBUTTONDBLCLK, MAKELPARAM(10, 10));
  EXPECT_EQ(found, FormBox());
}

TEST_F(NoCaptionWindow, SecondTitleDoubleClickMakesTheMaximizedBoundsTheOnesToRestore) {
  Attach();
  const RECT area = WorkArea();
  const Box filled{0, 0, area.right - area.left, area.bottom - area.top};
  SendToTitle(WM_NCLBUTTONDBLCLK, MAKELPARAM(300, 110));
  SendToTitle(WM_NCLBUTTONDBLCLK, MAKELPARAM(300, 10));
  SendToTitle(WM_LBUTTONDBLCLK, MAKELPARAM(300, 10));
  EXPECT_EQ(filled, FormBox());
}

TEST_F(NoCaptionWindow, MinimizeButtonSendsTheSystemCommandToTheForm) {
  formLog_ = std::make_unique<MessageLog>(*form_);
  Attach();
  controller_->SetTitleButtons(form_->CloseButton, form_->MinButton, form_->MaxButton, nullptr,
                               true);
  form_->MinButton->Click();
  ASSERT_EQ(1, formLog_->Count(WM_SYSCOMMAND));
  EXPECT_EQ(static_cast<WPARAM>(SC_MINIMIZE), formLog_->Last(WM_SYSCOMMAND)->WParam);
  EXPECT_EQ(0, formLog_->Last(WM_SYSCOMMAND)->LParam);
  EXPECT_TRUE(IsIconic(form_->Handle()));
}

TEST_F(NoCaptionWindow, CloseButtonHidesAFormThatIsNotTheMainForm) {
  ASSERT_NE(Application->MainForm(), form_.get());
  Attach();
  controller_->SetTitleButtons(form_->CloseButton, form_->MinButton, form_->MaxButton, nullptr,
                               true);
  form_->Show();
  ASSERT_TRUE(IsWindowVisible(form_->Handle()));
  form_->CloseButton->Click();
  EXPECT_FALSE(IsWindowVisible(form_->Handle()));
  EXPECT_FALSE(form_->Visible());
  EXPECT_FALSE(Application->Terminated());
}

}  // namespace
