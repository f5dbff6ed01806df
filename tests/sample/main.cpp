// The sample window: the main window's title bar and controller around a
// plain panel, so that the tests can tell the layer's behaviour from the
// program's.

#include <windows.h>

#include <memory>
#include <string>

#include "nocaption/NoCaptionForm.h"
#include "ui/Application.h"
#include "ui/EzRgnBtn.h"
#include "ui/Form.h"
#include "ui/FormReader.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"

namespace {

// Laid out like the main form (same font, so it scales the same way), with
// the buttons deliberately out of place: the controller right-aligns them.
const char8_t kDefinition[] =
    u8R"(
SampleForm: TSampleForm {
  BorderStyle = bsNone
  BorderWidth = 1
  Caption = "示例窗口"
  ClientWidth = 320
  ClientHeight = 200
  Color = $7D7D7D
  Font.Charset = ANSI_CHARSET
  Font.Height = -12
  Font.Name = "宋体"
  Position = poDesktopCenter
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 12

  PanelTitle: TPanel {
    Height = 25
    Align = alTop
    BevelOuter = bvNone
    Color = clBlack
    ImageTitle: TImage {
      Align = alClient
      Picture = TITLE
      Stretch = true
    }
    LabelTitle: TLabel {
      Left = 10
      Top = 7
      Width = 100
      Height = 12
      Caption = "示例窗口"
      Font.Charset = ANSI_CHARSET
      Font.Color = clSilver
      Font.Height = -12
      Font.Name = "宋体"
      ParentFont = false
    }
    ButtonMin: TEzRgnBtn {
      Left = 0
      Top = 1
      Hint = "最小化"
      ShowHint = true
      PicIdle = MINIDLE
      PicUp = MINHOVER
    }
    ButtonClose: TEzRgnBtn {
      Left = 0
      Top = 1
      Hint = "关闭"
      ShowHint = true
      PicIdle = CLOSEIDLE
      PicUp = CLOSEHOVER
    }
  }
  PanelBody: TPanel {
    Align = alClient
    BevelOuter = bvNone
    Color = $404040
  }
}
)";

class TSampleForm : public TForm {
 public:
  TPanel* PanelTitle;
  TImage* ImageTitle;
  TLabel* LabelTitle;
  TEzRgnBtn* ButtonMin;
  TEzRgnBtn* ButtonClose;
  TPanel* PanelBody;

  explicit TSampleForm(TComponent* owner) : TForm(owner) {
    static const TPublished kPublished[] = {
        PublishedField<&TSampleForm::PanelTitle>("PanelTitle"),
        PublishedField<&TSampleForm::ImageTitle>("ImageTitle"),
        PublishedField<&TSampleForm::LabelTitle>("LabelTitle"),
        PublishedField<&TSampleForm::ButtonMin>("ButtonMin"),
        PublishedField<&TSampleForm::ButtonClose>("ButtonClose"),
        PublishedField<&TSampleForm::PanelBody>("PanelBody"),
        PublishedHandler<&TSampleForm::FormDestroy>("FormDestroy"),
    };
    ReadFormDefinitionText(*this, "TSampleForm", reinterpret_cast<const char*>(kDefinition),
                           kPublished);
    noCaption_ =
        std::make_unique<TNoCaptionForm>(this, false, PanelTitle, nullptr, nullptr, nullptr);
    noCaption_->SetTitleButtons(ButtonClose, ButtonMin, nullptr, nullptr, true);
  }

  // The controller goes while the controls it hooks still exist.
  void FormDestroy(TObject*) { noCaption_.reset(); }

 private:
  std::unique_ptr<TNoCaptionForm> noCaption_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    Application->Initialize();
    Application->SetTitle("示例窗口");
    TSampleForm* form = nullptr;
    Application->CreateForm(form);
    Application->Run();
  } catch (Exception& exception) {
    Application->ShowException(exception);
  }
  return 0;
}
