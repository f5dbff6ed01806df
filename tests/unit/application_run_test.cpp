// The application's message loop (Run): an exception in a handler is shown,
// a silent abort is not, and the loop handles the messages after them up to
// closing the main form. Run runs once per process, hence a program of its
// own.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/LayerTest.h"
#include "ui/Application.h"
#include "ui/EzRgnBtn.h"
#include "ui/Exception.h"
#include "ui/Form.h"

namespace {

class TestMainForm : public TForm {
 public:
  explicit TestMainForm(TComponent* owner) : TForm(owner) { SetBounds(120, 120, 160, 90); }
};

// Throws an Exception on the first click, the silent abort on the second.
class Thrower {
 public:
  void Click(TObject*) {
    if (++clicks == 1) throw Exception("in the loop");
    throw EAbort();
  }
  int clicks = 0;
};

TEST(ApplicationRun, HandlesMessagesPastExceptionsUntilTheMainFormCloses) {
  ExceptionRecorder display;
  TestMainForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_EQ(Application->MainForm(), form);
  auto* button = new TEzRgnBtn(form);
  button->PicIdle.LoadFromResource(GetModuleHandleA(nullptr), "CLOSEIDLE");
  button->PicturesChanged();
  button->SetParent(form);
  Thrower thrower;
  button->OnClick = TNotifyEvent(&thrower, &Thrower::Click);

  HWND window = button->Handle();
  for (int click = 0; click < 2; ++click) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  Application->Run();

  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(thrower.clicks, 2);
  EXPECT_EQ(display.Messages(), std::vector<std::string>{"in the loop"});
  EXPECT_TRUE(IsWindowVisible(form->Handle()));  // Run showed it
  button->OnClick = TNotifyEvent();              // the thrower goes now
}

}  // namespace
