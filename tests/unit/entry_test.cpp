// The program's start (RunProgram): what escapes the main form's creation
// is shown once and the result is 0; the title; the order of the steps.
// (A whole run is entry_run_test: the loop runs once per process.)

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/Entry.h"
#include "tests/support/LayerTest.h"
#include "ui/Application.h"
#include "ui/Exception.h"

namespace {

// "MURAVA电台": the two characters as code page 936 bytes.
const char kTitle[] = "MURAVA\xB5\xE7\xCC\xA8";

struct FailureCase {
  const char* name;
  void (*createMainForm)();
  const char* shown;
};

class FailingStart : public testing::TestWithParam<FailureCase> {};

TEST_P(FailingStart, ShowsWhatEscapedOnceAndReturnsZero) {
  ExceptionRecorder display;
  EXPECT_EQ(RunProgram(GetParam().createMainForm), 0);
  EXPECT_EQ(display.Messages(), std::vector<std::string>{GetParam().shown});
  // The message loop was never reached.
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_FALSE(Application->Terminated());
}

INSTANTIATE_TEST_SUITE_P(
    Escaping, FailingStart,
    testing::Values(
        FailureCase{"LayerException", [] { throw Exception("x"); }, "x"},
        FailureCase{"Int", [] { throw 42; }, ""},
        // Only the layer's own exceptions keep their text.
        FailureCase{"StdException", [] { throw std::runtime_error("standard"); }, ""},
        // The title is set before the main form is made.
        FailureCase{"SeesTheTitle", [] { throw Exception(Application->Title()); }, kTitle},
        // The UI thread is a single-threaded apartment by then.
        FailureCase{"SeesTheApartment",
                    [] {
                      const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                      if (SUCCEEDED(result)) CoUninitialize();
                      throw Exception(result == RPC_E_CHANGED_MODE ? "single-threaded" : "other");
                    },
                    "single-threaded"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(Start, TheTitleIsTheServicesNameInCodePage936) {
  EXPECT_STREQ(kApplicationTitle, kTitle);
  ExceptionRecorder display;
  RunProgram([] { throw EAbort(); });
  EXPECT_EQ(Application->Title(), kTitle);
}

}  // namespace
