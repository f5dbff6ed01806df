// Form definitions read into forms: components, properties, fields and
// handlers; the errors, each naming its culprit; scaling by the font's
// measured text height and by the screen's pixels per inch.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/LayerPrefix.h"
#include "tests/support/LayerScreen.h"
#include "tests/support/LayerTest.h"
#include "ui/EzRgnBtn.h"
#include "ui/Exception.h"
#include "ui/FormReader.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"
#include "ui/Scoped.h"

namespace {

class TTestForm : public TForm {
 public:
  TPanel* PanelTop = nullptr;
  TImage* ImageTitle = nullptr;
  TImage* ImageLogo = nullptr;
  TLabel* LabelName = nullptr;
  TEzRgnBtn* ButtonGo = nullptr;
  TPanel* PanelBody = nullptr;
  void FormDestroy(TObject*) {
    if (destroyed) ++*destroyed;
  }
  void ButtonGoClick(TObject*) { ++clicks; }

  explicit TTestForm(TComponent* owner) : TForm(owner) {}
  int clicks = 0;
  int* destroyed = nullptr;
};

const TPublished kPublished[] = {
    PublishedField<&TTestForm::PanelTop>("PanelTop"),
    PublishedField<&TTestForm::ImageTitle>("ImageTitle"),
    PublishedField<&TTestForm::ImageLogo>("ImageLogo"),
    PublishedField<&TTestForm::LabelName>("LabelName"),
    PublishedField<&TTestForm::ButtonGo>("ButtonGo"),
    PublishedField<&TTestForm::PanelBody>("PanelBody"),
    PublishedHandler<&TTestForm::FormDestroy>("FormDestroy"),
    PublishedHandler<&TTestForm::ButtonGoClick>("ButtonGoClick"),
};

// Definitions are UTF-8 text, as written in their files; narrow literals
// here are code page 936 bytes, so definitions are written as u8 literals.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A small window laid out as the main one is: a title bar with a picture,
// a logo, a label and a picture button over a body. `formExtras` go into
// the form's own properties.
std::string Definition(const std::string& formExtras = "") {
  return Utf8(
             u8R"(# a test window
FormTest: TTestForm {
  Left = 100
  Top = 80
  BorderStyle = bsNone
  BorderWidth = 1
  Caption = "测试窗口"
  ClientWidth = 240
  ClientHeight = 120
  Color = $7D7D7D
  Font.Charset = ANSI_CHARSET
  Font.Height = -12
  Font.Name = "宋体"
  OnDestroy = FormDestroy
)") + formExtras +
         Utf8(
             u8R"(
  PanelTop: TPanel {
    Left = 0
    Top = 0
    Width = 240
    Height = 25
    Align = alTop
    BevelOuter = bvNone
    Color = clBlack

    ImageTitle: TImage {
      Left = 0
      Top = 0
      Width = 240
      Height = 25
      Align = alClient
      Picture = TITLE
      Stretch = true
    }
    ImageLogo: TImage {
      Left = 7
      Top = 4
      Width = 20
      Height = 20
      AutoSize = true
      Picture = LOGO
    }
    LabelName: TLabel {
      Left = 30
      Top = 7
      Width = 100
      Height = 12
      Caption = "名字 · 标签"
      Font.Color = clSilver
      Font.Height = -12
      Font.Name = "宋体"
      ParentFont = false
    }
    ButtonGo: TEzRgnBtn {
      Left = 150
      Top = 4
      Width = 33
      Height = 17
      Hint = "最小化"
      ShowHint = true
      PicIdle = MINIDLE
      PicUp = MINHOVER
      OnClick = ButtonGoClick
    }
  }
  PanelBody: TPanel {
    Left = 0
    Top = 25
    Width = 240
    Height = 95
    Align = alClient
    Color = $403020
  }
}
)");
}

Owned<TTestForm> Read(const std::string& text) {
  auto form = Make<TTestForm>();
  ReadFormDefinitionText(*form, "TTestForm", text, kPublished);
  return form;
}

// Bounds as left, top, right, bottom, comparable and printable.
struct Box {
  long left, top, right, bottom;
  friend bool operator==(const Box&, const Box&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "{" << b.left << "," << b.top << "," << b.right << "," << b.bottom << "}";
  }
};

Box Bounds(const TControl& control) {
  const RECT r = control.BoundsRect();
  return Box{r.left, r.top, r.right, r.bottom};
}

TEST(FormReader, CreatesTheComponentsInOrderWithTheirProperties) {
  auto form = Read(Definition());
  EXPECT_EQ(form->Name(), "FormTest");
  EXPECT_EQ(form->Caption(), "测试窗口");
  EXPECT_EQ(form->Color(), 0x7D7D7D);
  EXPECT_EQ(form->BorderWidth(), 1);
  EXPECT_EQ(form->ClientWidth(), 240);
  EXPECT_EQ(form->Width(), 242);
  EXPECT_EQ(form->Font.Name, "宋体");
  EXPECT_EQ(form->Font.Charset, ANSI_CHARSET);

  const char* order[] = {"PanelTop",  "ImageTitle", "ImageLogo",
                         "LabelName", "ButtonGo",   "PanelBody"};
  ASSERT_EQ(form->ComponentCount(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(form->Components(i)->Name(), order[i]) << i;

  EXPECT_EQ(form->PanelTop->Parent(), form.get());
  EXPECT_EQ(form->PanelTop->Color(), clBlack);
  EXPECT_EQ(form->PanelTop->Align(), alTop);
  EXPECT_EQ(Bounds(*form->PanelTop), (Box{0, 0, 240, 25}));
  EXPECT_EQ(form->ImageTitle->Parent(), form->PanelTop);
  EXPECT_TRUE(form->ImageTitle->Stretch());
  EXPECT_EQ(form->ImageTitle->Picture().Width(), 320);
  EXPECT_EQ(Bounds(*form->ImageLogo), (Box{7, 4, 23, 20}));  // AutoSize: the logo's 16 x 16
  EXPECT_EQ(form->LabelName->Caption(), "名字 · 标签");
  EXPECT_FALSE(form->LabelName->ParentFont);
  EXPECT_EQ(form->LabelName->Font.Color, clSilver);
  EXPECT_EQ(Bounds(*form->LabelName), (Box{30, 7, 130, 19}));
  EXPECT_EQ(form->ButtonGo->Parent(), form->PanelTop);
  EXPECT_EQ(form->ButtonGo->Hint(), "最小化");
  EXPECT_TRUE(form->ButtonGo->ShowHint());
  EXPECT_FALSE(form->ButtonGo->PicUp.Empty());
  EXPECT_EQ(Bounds(*form->ButtonGo), (Box{150, 4, 183, 21}));
  EXPECT_EQ(form->PanelBody->Parent(), form.get());
  EXPECT_EQ(Bounds(*form->PanelBody), (Box{0, 25, 240, 120}));

  // The windowed ones have their windows, inside their parents' windows.
  ASSERT_TRUE(form->HandleAllocated());
  EXPECT_EQ(GetParent(form->ButtonGo->Handle()), form->PanelTop->Handle());
  EXPECT_EQ(GetParent(form->PanelBody->Handle()), form->Handle());
}

TEST(FormReader, BindsHandlersByName) {
  int destroyed = 0;
  auto form = Read(Definition());
  form->destroyed = &destroyed;
  EXPECT_TRUE(form->ButtonGo->OnClick == TNotifyEvent(form.get(), &TTestForm::ButtonGoClick));
  EXPECT_TRUE(form->OnDestroy == TNotifyEvent(form.get(), &TTestForm::FormDestroy));
  form->ButtonGo->Click();
  EXPECT_EQ(form->clicks, 1);
  form.reset();
  EXPECT_EQ(destroyed, 1);
}

TEST(FormReader, ReadsADefinitionFromTheProgramsResources) {
  // The main window's definition is linked into every test program. Read
  // into a form without its fields, it gets as far as its first component.
  auto form = Make<TTestForm>();
  try {
    ReadFormDefinition(*form, "TFormMain", kPublished);
    FAIL() << "no error";
  } catch (Exception& error) {
    EXPECT_NE(error.Message.str().find("component PanelTitle has no field in TFormMain"),
              std::string::npos)
        << error.Message.str();
  }
  EXPECT_EQ(form->Name(), "FormMain");
}

struct ErrorCase {
  const char* name;
  const char8_t* replace;  // in Definition()
  const char8_t* with;
  const char* culprit;  // named in the message
  bool hasLine;         // the message gives the line of `with`
};

class FormReaderErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(FormReaderErrors, NameTheCulprit) {
  const ErrorCase& c = GetParam();
  std::string text = Definition();
  const std::string replace = Utf8(c.replace);
  const size_t at = text.find(replace);
  ASSERT_NE(at, std::string::npos) << replace;
  text.replace(at, replace.size(), Utf8(c.with));

  std::string message;
  try {
    Read(text);
  } catch (Exception& error) {
    message = error.Message.str();
  }
  ASSERT_FALSE(message.empty()) << "no error";
  EXPECT_NE(message.find(c.culprit), std::string::npos) << message;
  EXPECT_NE(message.find("TTestForm"), std::string::npos) << message;
  if (c.hasLine) {
    const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
    EXPECT_NE(message.find("line " + std::to_string(line) + ":"), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, FormReaderErrors,
    testing::Values(
        ErrorCase{"MisspelledComponent", u8"ButtonGo: TEzRgnBtn", u8"ButonGo: TEzRgnBtn", "ButonGo",
                  true},
        ErrorCase{"FieldWithoutComponent",
                  u8"    LabelName: TLabel {\n      Left = 30\n      Top = 7\n      Width = 100\n"
                  u8"      Height = 12\n      Caption = \"名字 · 标签\"\n"
                  u8"      Font.Color = clSilver\n      Font.Height = -12\n"
                  u8"      Font.Name = \"宋体\"\n      ParentFont = false\n    }\n",
                  u8"", "LabelName", false},
        ErrorCase{"UnknownClass", u8"PanelBody: TPanel", u8"PanelBody: TButton", "TButton", true},
        ErrorCase{"FieldOfAnotherClass", u8"PanelBody: TPanel", u8"PanelBody: TEzRgnBtn",
                  "PanelBody", true},
        ErrorCase{"UnknownProperty", u8"Color = clBlack", u8"Colour = clBlack", "Colour", true},
        ErrorCase{"UnknownFormProperty", u8"Color = $7D7D7D", u8"Colour = $7D7D7D", "Colour", true},
        ErrorCase{"MissingPicture", u8"PicUp = MINHOVER", u8"PicUp = NOSUCH", "NOSUCH", true},
        ErrorCase{"MissingImagePicture", u8"Picture = LOGO", u8"Picture = NOLOGO", "NOLOGO", true},
        ErrorCase{"UnknownHandler", u8"OnClick = ButtonGoClick", u8"OnClick = ButtonStopClick",
                  "ButtonStopClick", true},
        ErrorCase{"NumberExpected", u8"Height = 95", u8"Height = tall", "Height", true},
        ErrorCase{"UnknownChoice", u8"Align = alClient", u8"Align = alBottom", "Align", true},
        ErrorCase{"MissingEquals", u8"Top = 7", u8"Top 7", "'='", true},
        ErrorCase{"UnterminatedString", u8"Hint = \"最小化\"", u8"Hint = \"最小化", "unterminated",
                  true},
        ErrorCase{"MissingBrace", u8"    Color = $403020\n  }\n}\n", u8"    Color = $403020\n  }\n",
                  "missing '}'", false}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

TEST(FormReader, AMissingDefinitionIsNamed) {
  auto form = Make<TTestForm>();
  try {
    ReadFormDefinition(*form, "TNoSuchForm", kPublished);
    FAIL() << "no error";
  } catch (Exception& error) {
    EXPECT_NE(error.Message.str().find("TNoSuchForm"), std::string::npos) << error.Message.str();
  }
}

// Scaling: the definition says it was made where the form's font measured
// `TextHeight`; here it measures `m`. Everything scales by m / TextHeight
// as the reader rounds it (MulDiv on both edges), picture buttons keep the
// size of their pictures.
int ScreenDpi() { return GetDeviceCaps(ScopedGetDC(nullptr).get(), LOGPIXELSY); }

int MeasuredTextHeight() {
  TFont font;
  font.Charset = ANSI_CHARSET;
  font.Height = -12;
  font.Name = "宋体";
  return font.TextHeight();
}

std::string DesignedFor(int dpi, int textHeight) {
  return "  PixelsPerInch = " + std::to_string(dpi) +
         "\n  TextHeight = " + std::to_string(textHeight) + "\n";
}

Box Scaled(const Box& r, int m, int d) {
  return Box{MulDiv(r.left, m, d), MulDiv(r.top, m, d), MulDiv(r.right, m, d),
             MulDiv(r.bottom, m, d)};
}

// Counts this thread's windows moved or resized once made, while it lives.
class WindowMoves {
 public:
  WindowMoves() : hook_(SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId())) {
    count_ = 0;
  }
  WindowMoves(const WindowMoves&) = delete;
  WindowMoves& operator=(const WindowMoves&) = delete;
  ~WindowMoves() { UnhookWindowsHookEx(hook_); }
  bool Hooked() const { return hook_ != nullptr; }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGED) {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(call->lParam);
      if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) ++count_;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline int count_ = 0;
  HHOOK hook_;
};

class FormReaderScaling : public testing::TestWithParam<int> {};

TEST_P(FormReaderScaling, PositionsAndSizesFollowTheMeasuredTextHeight) {
  const int m = MeasuredTextHeight();
  const int d = m + GetParam();  // what the definition claims
  ASSERT_GT(d, 0);
  WindowMoves moves;
  ASSERT_TRUE(moves.Hooked());
  auto form = Read(Definition(DesignedFor(ScreenDpi(), d)));
  // Every window is made once, in its final place: moving them all after
  // scaling would cost a start noticeably.
  EXPECT_EQ(moves.Count(), 0);

  EXPECT_EQ(form->ClientWidth(), MulDiv(240, m, d));
  EXPECT_EQ(form->ClientHeight(), MulDiv(120, m, d));
  EXPECT_EQ(form->Width(), MulDiv(240, m, d) + 2);  // the border is not scaled
  EXPECT_EQ(Bounds(*form->LabelName), Scaled(Box{30, 7, 130, 19}, m, d));
  EXPECT_EQ(form->LabelName->Font.Height, MulDiv(-12, m, d));
  // Aligned ones: across the scaled client area, at their scaled heights.
  const int top = MulDiv(25, m, d);
  EXPECT_EQ(Bounds(*form->PanelTop), (Box{0, 0, form->ClientWidth(), top}));
  EXPECT_EQ(Bounds(*form->PanelBody), (Box{0, top, form->ClientWidth(), form->ClientHeight()}));
  // The button moves, its picture's size stays.
  const Box button = Scaled(Box{150, 4, 183, 21}, m, d);
  EXPECT_EQ(Bounds(*form->ButtonGo),
            (Box{button.left, button.top, button.left + 33, button.top + 17}));
  RECT window;
  GetWindowRect(form->ButtonGo->Handle(), &window);
  EXPECT_EQ(window.right - window.left, 33);
  EXPECT_EQ(window.bottom - window.top, 17);
}

INSTANTIATE_TEST_SUITE_P(DesignTextHeights, FormReaderScaling, testing::Values(0, -3, 4, 12),
                         [](const testing::TestParamInfo<int>& info) {
                           const int delta = info.param;
                           if (delta == 0) return std::string("AsMeasured");
                           return (delta < 0 ? "Smaller" : "Larger") +
                                  std::to_string(std::abs(delta));
                         });

// Higher pixels per inch: the form's font grows with them, the form with its
// font. A process reads the screen's pixels per inch as it starts, so the
// form is measured again by this program in a prefix set to 144.
struct FormSize {
  int dpi = 0, textHeight = 0, width = 0, height = 0;
};

// As the main window's definition is stored: for 96 pixels per inch, where
// its font measures 12.
FormSize DesignedFormSize() {
  auto form = Read(Definition(DesignedFor(96, 12)));
  return FormSize{ScreenDpi(), form->Font.TextHeight(), form->Width(), form->Height()};
}

const char kSizeLine[] = "form size: dpi %d text height %d width %d height %d";

// Run only by the test below, in the other prefix.
TEST(FormReaderDpi, DISABLED_ReportsTheFormSize) {
  const FormSize size = DesignedFormSize();
  std::printf(kSizeLine, size.dpi, size.textHeight, size.width, size.height);
  std::printf("\n");
  EXPECT_EQ(size.width, MulDiv(240, size.textHeight, 12) + 2);
  EXPECT_EQ(size.height, MulDiv(120, size.textHeight, 12) + 2);
}

TEST(FormReaderDpi, TheFormGrowsWithTheScreensPixelsPerInch) {
  const FormSize here = DesignedFormSize();
  ASSERT_EQ(here.dpi, 96) << "this prefix is meant to have the standard screen";
  const std::string output = RunWithScreenDpi(144, "FormReaderDpi.DISABLED_*", 200000);
  if (output.empty() && !std::getenv("RADIO_WINE_STATE")) GTEST_SKIP() << "not run by ctest";
  ASSERT_FALSE(output.empty()) << "the run in the other prefix did not finish";
  const size_t at = output.find("form size:");
  ASSERT_NE(at, std::string::npos) << output;
  FormSize there;
  ASSERT_EQ(std::sscanf(output.c_str() + at, kSizeLine, &there.dpi, &there.textHeight, &there.width,
                        &there.height),
            4)
      << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;

  EXPECT_EQ(there.dpi, 144);
  EXPECT_GT(there.textHeight, here.textHeight);
  EXPECT_GT(there.width, here.width);
  EXPECT_GT(there.height, here.height);
  // Roughly in proportion to the pixels per inch (fonts come in whole pixels).
  EXPECT_NEAR(there.width - 2, (here.width - 2) * 144 / 96, (here.width - 2) / 6);
}

// The sample window as the screen shows it, kept as a picture in the build
// folder (screenshots/form_definition.png) for people to look at.
TEST(FormReaderScreenshot, TheSampleWindowShowsWhatItsDefinitionSays) {
  auto form = Read(Definition());
  form->Show();
  PumpFor(300);
  ScreenCapture shot = CaptureWindow(form->Handle());
  ASSERT_EQ(shot.width, 242);
  ASSERT_EQ(shot.height, 122);

  EXPECT_EQ(shot.At(0, 0), RGB(0x7D, 0x7D, 0x7D));
  EXPECT_EQ(shot.At(241, 121), RGB(0x7D, 0x7D, 0x7D));
  EXPECT_EQ(shot.At(1 + 120, 1 + 80), RGB(0x20, 0x30, 0x40));  // the body
  int wrong = 0;
  const TPicture& idle = form->ButtonGo->PicIdle;
  for (int y = 0; y < idle.Height(); ++y) {
    for (int x = 0; x < idle.Width(); ++x) {
      wrong += shot.At(1 + 150 + x, 1 + 4 + y) != PicturePixel(idle, x, y);
    }
  }
  EXPECT_EQ(wrong, 0) << "button pixels unlike its picture";
  const TPicture& logo = form->ImageLogo->Picture();
  EXPECT_EQ(shot.At(1 + 7 + 8, 1 + 4 + 8), PicturePixel(logo, 8, 8));

  const std::string path = EnvironmentPath("RADIO_BUILD_DIR", "screenshots/form_definition.png");
  if (path.empty()) return;
  DeleteFileA(path.c_str());
  SavePng(shot, path);
  std::ifstream png(path, std::ios::binary);
  char signature[8] = {};
  png.read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature, 8), std::string("\x89PNG\r\n\x1A\n", 8));
}

}  // namespace
