#pragma once
// The main window: a borderless, dark frame around the service's web page,
// with a title bar that drags it and two title buttons (minimize, close).

#include "app/CreateShortcut.h"
#include "nocaption/NoCaptionForm.h"
#include "ui/CppWebBrowser.h"
#include "ui/EzRgnBtn.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"

class TFormMain : public TForm {
 public:  // bound by name from the form definition (UnitMain.form)
  TPanel* PanelTitle;
  TImage* Image1;
  TLabel* Label9;
  TEzRgnBtn* EzRgnBtnMin;
  TEzRgnBtn* EzRgnBtnClose;
  TCppWebBrowser* CppWebBrowser;
  TImage* Image2;
  void FormDestroy(TObject* Sender);

 private:
  TNoCaptionForm* FNoCaption;

 public:
  explicit TFormMain(TComponent* Owner);
};

extern TFormMain* FormMain;

// The service's host, and the page the window opens at start.
extern const wchar_t kServiceHost[];
std::wstring StartUrl();
