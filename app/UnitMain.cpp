#include "app/UnitMain.h"

#include <shlobj.h>

#include "src/PlusFile.h"
#include "ui/Application.h"
#include "ui/FileUtils.h"
#include "ui/FormReader.h"

TFormMain* FormMain;

const wchar_t kServiceHost[] = L"murava.example";

std::wstring StartUrl() { return std::wstring(L"http://") + kServiceHost + L"/client.aspx"; }

namespace {

const TPublished kPublished[] = {
    PublishedField<&TFormMain::PanelTitle>("PanelTitle"),
    PublishedField<&TFormMain::Image1>("Image1"),
    PublishedField<&TFormMain::Label9>("Label9"),
    PublishedField<&TFormMain::EzRgnBtnMin>("EzRgnBtnMin"),
    PublishedField<&TFormMain::EzRgnBtnClose>("EzRgnBtnClose"),
    PublishedField<&TFormMain::CppWebBrowser>("CppWebBrowser"),
    PublishedField<&TFormMain::Image2>("Image2"),
    PublishedHandler<&TFormMain::FormDestroy>("FormDestroy"),
};

// The name of the shortcut on the desktop.
const char kShortcutName[] = "MURAVA电台";

}  // namespace

TFormMain::TFormMain(TComponent* Owner) : TForm(Owner) {
  ReadFormDefinition(*this, "TFormMain", kPublished);

  FNoCaption = new TNoCaptionForm(this, false, PanelTitle, nullptr, nullptr, nullptr);
  FNoCaption->SetTitleButtons(EzRgnBtnClose, EzRgnBtnMin, nullptr, nullptr, true);

  VARIANT omitted = EmptyParam();
  CppWebBrowser->Navigate(StartUrl().c_str(), &omitted, &omitted, &omitted, &omitted);

  // A shortcut on the desktop, written again whenever it is missing.
  AnsiString desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
  if (desktop.IsEmpty()) return;
  if (FileExists(desktop + "\\" + kShortcutName + ".lnk")) return;
  CreateShortcut(Application->ExeName(), kShortcutName, desktop);
}

void TFormMain::FormDestroy(TObject*) {
  delete FNoCaption;
  FNoCaption = nullptr;
}
