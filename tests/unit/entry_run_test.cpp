// A whole run of the program's start: the main form is made, shown by the
// message loop, and closing it ends the loop with the result 0. The loop
// runs once per process, hence a program of its own.

#include <gtest/gtest.h>
#include <windows.h>

#include "app/Entry.h"
#include "tests/support/LayerTest.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace {

TEST(Start, RunsTheLoopUntilTheMainFormClosesAndReturnsZero) {
  ExceptionRecorder display;
  const int result = RunProgram([] {
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetBounds(100, 100, 120, 80);
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(display.Messages().empty());
  ASSERT_NE(Application->MainForm(), nullptr);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(IsWindowVisible(Application->MainForm()->Handle()));
  // The taskbar button's window carries the title, "MURAVA电台".
  char text[32] = {};
  GetWindowTextA(Application->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "MURAVA\xB5\xE7\xCC\xA8");
}

}  // namespace
