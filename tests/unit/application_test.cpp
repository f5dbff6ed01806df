// The application object: exceptions raised while a message is handled go
// to its exception display and the message loop goes on; the display
// itself. (Run's loop is application_run_test: it runs once per process.)

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/LayerSpy.h"
#include "tests/support/LayerTest.h"
#include "ui/Application.h"
#include "ui/EzRgnBtn.h"
#include "ui/Exception.h"
#include "ui/Form.h"

namespace {

constexpr UINT kPing = WM_APP + 1;

enum class Thrown { Exception, Abort, StdException, Int };
enum class Delivery { Posted, Sent };

struct ThrowCase {
  const char* name;
  Thrown thrown;
  Delivery delivery;
  bool shown;
  const char* message;
};

// A form with a picture button whose click handler throws.
class ThrowingClick : public testing::TestWithParam<ThrowCase> {
 protected:
  void SetUp() override {
    form_ = Make<TForm>();
    form_->SetBounds(100, 100, 200, 100);
    button_ = new TEzRgnBtn(form_.get());
    button_->PicIdle.LoadFromResource(GetModuleHandleA(nullptr), "MINIDLE");
    button_->PicturesChanged();
    button_->SetParent(form_.get());
    button_->OnClick = TNotifyEvent(this, &ThrowingClick::Throw);
    form_->Handle();
    form_->SetVisible(true);
    PumpFor(50);
  }

  void Throw(TObject*) {
    ++calls_;
    switch (GetParam().thrown) {
      case Thrown::Exception:
        throw Exception("boom");
      case Thrown::Abort:
        throw EAbort();
      case Thrown::StdException:
        throw std::runtime_error("standard boom");
      case Thrown::Int:
        throw 42;
    }
  }

  void Click() {
    HWND window = button_->Handle();
    if (GetParam().delivery == Delivery::Posted) {
      PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    } else {
      SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
  }

  Owned<TForm> form_;
  TEzRgnBtn* button_ = nullptr;
  int calls_ = 0;
};

TEST_P(ThrowingClick, ReachesTheExceptionDisplayAndTheLoopGoesOn) {
  const ThrowCase& c = GetParam();
  ExceptionRecorder display;
  WindowProcSpy later(*form_);

  Click();
  PostMessageA(form_->Handle(), kPing, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return later.Count(kPing) == 1; }));
  EXPECT_EQ(calls_, 1);
  const std::vector<std::string> once =
      c.shown ? std::vector<std::string>{c.message} : std::vector<std::string>{};
  EXPECT_EQ(display.Messages(), once);

  // Everything still works: the button clicks again, the display shows again.
  Click();
  PostMessageA(form_->Handle(), kPing, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return later.Count(kPing) == 2; }));
  EXPECT_EQ(calls_, 2);
  EXPECT_EQ(display.Messages().size(), c.shown ? 2u : 0u);
  // The button did not stay pressed: its capture went with the release.
  EXPECT_EQ(GetCapture(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, ThrowingClick,
    testing::Values(ThrowCase{"ExceptionPosted", Thrown::Exception, Delivery::Posted, true, "boom"},
                    ThrowCase{"ExceptionSent", Thrown::Exception, Delivery::Sent, true, "boom"},
                    ThrowCase{"AbortPosted", Thrown::Abort, Delivery::Posted, false, ""},
                    ThrowCase{"AbortSent", Thrown::Abort, Delivery::Sent, false, ""},
                    ThrowCase{"StdExceptionPosted", Thrown::StdException, Delivery::Posted, true,
                              "standard boom"},
                    ThrowCase{"IntPosted", Thrown::Int, Delivery::Posted, true, ""},
                    ThrowCase{"IntSent", Thrown::Int, Delivery::Sent, true, ""}),
    [](const testing::TestParamInfo<ThrowCase>& info) { return std::string(info.param.name); });

// What a watcher thread saw of the message box the display put up.
struct SeenBox {
  DWORD uiThread = 0;
  bool found = false;
  std::string caption, text;
  bool stopIcon = false;
};

// Reads the message box, if `window` is one, and presses its OK button.
BOOL CALLBACK ReadBox(HWND window, LPARAM parameter) {
  auto* seen = reinterpret_cast<SeenBox*>(parameter);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  seen->caption = text;
  text[0] = 0;
  GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // the box's text
  seen->text = text;
  // The icon is the box's one icon control; its number differs between systems.
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    const auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    seen->stopIcon = icon && icon == LoadIcon(nullptr, IDI_HAND);
  }
  seen->found = true;
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

// Waits for the UI thread's message box and answers it.
DWORD WINAPI WatchForBox(void* parameter) {
  auto* seen = static_cast<SeenBox*>(parameter);
  for (int tries = 0; tries < 500 && !seen->found; ++tries) {
    Sleep(10);
    EnumThreadWindows(seen->uiThread, &ReadBox, reinterpret_cast<LPARAM>(seen));
  }
  return 0;
}

TEST(ExceptionDisplay, WithoutAHandlerIsAStopBoxTitledWithTheApplicationTitle) {
  const AnsiString title = Application->Title();
  Application->SetTitle("测试程序");
  SeenBox seen;
  seen.uiThread = GetCurrentThreadId();
  HANDLE watcher = CreateThread(nullptr, 0, &WatchForBox, &seen, 0, nullptr);
  ASSERT_TRUE(watcher);
  Exception shown("出错了");
  Application->ShowException(shown);  // returns when the watcher presses OK
  WaitForSingleObject(watcher, 10000);
  CloseHandle(watcher);
  Application->SetTitle(title);

  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.caption, "测试程序");
  EXPECT_EQ(seen.text, "出错了");
  EXPECT_TRUE(seen.stopIcon);
}

}  // namespace
