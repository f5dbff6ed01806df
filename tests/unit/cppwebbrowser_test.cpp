// The browser control's failure: when the system's control cannot be made,
// making the window throws the layer's exception with the failing result in
// it, which reaches whoever made the form (the entry point shows it).

#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>

#include <cstdio>
#include <string>

#include "tests/support/LayerTest.h"
#include "ui/ComPtr.h"
#include "ui/CppWebBrowser.h"
#include "ui/Exception.h"
#include "ui/Form.h"

namespace {

struct Outcome {
  HRESULT direct = S_OK;  // what the system answers when asked for the control
  bool thrown = false;
  std::string message;
};

// A thread that never set up COM: there the control cannot be made.
DWORD WINAPI MakeBrowserWithoutCom(void* parameter) {
  auto* outcome = static_cast<Outcome*>(parameter);
  {
    ComPtr<IUnknown> control;
    outcome->direct = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(control.put()));
  }
  auto form = Make<TForm>();
  auto* browser = new TCppWebBrowser(form.get());
  browser->SetBounds(0, 0, 100, 80);
  browser->SetParent(form.get());
  try {
    form->Handle();
  } catch (Exception& error) {
    outcome->thrown = true;
    outcome->message = error.Message.str();
  }
  return 0;
}

TEST(CppWebBrowser, AControlThatCannotBeMadeThrowsWithTheFailingResult) {
  Outcome outcome;
  HANDLE thread = CreateThread(nullptr, 0, &MakeBrowserWithoutCom, &outcome, 0, nullptr);
  ASSERT_TRUE(thread);
  WaitForSingleObject(thread, 30000);
  CloseHandle(thread);

  ASSERT_TRUE(FAILED(outcome.direct));
  ASSERT_TRUE(outcome.thrown);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(outcome.direct));
  EXPECT_NE(outcome.message.find(hex), std::string::npos) << outcome.message;
  EXPECT_NE(outcome.message.find("web browser"), std::string::npos) << outcome.message;
}

}  // namespace
