// startup_profile: the program's start, step by step, in the program's order
// and with its own code (the layer, the form definition and pictures from
// its resources, the controller, the browser), timed from inside. Each step
// reports its elapsed time and the CPU time of the UI thread (Linux's
// schedstat, nanoseconds), so that the steps that cost work show apart from
// the ones that only wait.
//
//   startup_profile [--wic-first | --font-first | --browser-first] [--first-start]
//   startup_profile --bare
//     --wic-first      decodes the title picture before the form is read: the
//                      first use of WIC (its DLLs, the JPEG decoder) alone
//     --font-first     measures the form's font before the form is read
//     --browser-first  creates (and drops) a browser control before the form
//                      is read: what the form costs beyond the control
//     --first-start    also writes the desktop shortcut (to a temporary
//                      folder), as the program's first start on a machine does
//     --bare           the bare browser baseline's steps instead, timed alike
//
// Prints one JSON line.

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/CreateShortcut.h"
#include "bench/BareFrame.h"
#include "bench/StartPage.h"
#include "bench/launcher/Clock.h"
#include "bench/launcher/Json.h"
#include "bench/launcher/LinuxProc.h"
#include "nocaption/NoCaptionForm.h"
#include "src/PlusFile.h"
#include "ui/Application.h"
#include "ui/BrowserHost.h"
#include "ui/CppWebBrowser.h"
#include "ui/EzRgnBtn.h"
#include "ui/FileUtils.h"
#include "ui/FormReader.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"
#include "ui/Picture.h"

namespace {

// The main form's fields, so that its definition binds as it does in the
// program; the program's own class would also run the rest of its start in
// its constructor, which is what this tool takes apart.
class TProfiledForm : public TForm {
 public:
  TPanel* PanelTitle;
  TImage* Image1;
  TLabel* Label9;
  TEzRgnBtn* EzRgnBtnMin;
  TEzRgnBtn* EzRgnBtnClose;
  TCppWebBrowser* CppWebBrowser;
  TImage* Image2;
  void FormDestroy(TObject*) {}

  explicit TProfiledForm(TComponent* owner);
};

const TPublished kPublished[] = {
    PublishedField<&TProfiledForm::PanelTitle>("PanelTitle"),
    PublishedField<&TProfiledForm::Image1>("Image1"),
    PublishedField<&TProfiledForm::Label9>("Label9"),
    PublishedField<&TProfiledForm::EzRgnBtnMin>("EzRgnBtnMin"),
    PublishedField<&TProfiledForm::EzRgnBtnClose>("EzRgnBtnClose"),
    PublishedField<&TProfiledForm::CppWebBrowser>("CppWebBrowser"),
    PublishedField<&TProfiledForm::Image2>("Image2"),
    PublishedHandler<&TProfiledForm::FormDestroy>("FormDestroy"),
};

TProfiledForm::TProfiledForm(TComponent* owner) : TForm(owner) {
  ReadFormDefinition(*this, "TFormMain", kPublished);
}

// The UI thread's CPU time. Wine runs a program's first thread on its Unix
// process's first thread, whose id is the process's; /proc/thread-self would
// name the wineserver, which opens files for Wine.
double ThreadCpuMs(int unixPid) {
  std::string schedstat = linux_proc::ReadAll("Z:\\proc\\" + std::to_string(unixPid) + "\\task\\" +
                                              std::to_string(unixPid) + "\\schedstat");
  return std::atoll(schedstat.c_str()) / 1e6;
}

// Times each step: its elapsed and UI-thread CPU milliseconds.
class Steps {
 public:
  Steps(Json& out, int unixPid)
      : out_(out), pid_(unixPid), wall_(NowMs()), cpu_(ThreadCpuMs(pid_)) {}
  template <class Step>
  void Time(const char* name, Step step) {
    step();
    double wall = NowMs(), cpu = ThreadCpuMs(pid_);
    out_.Add((std::string(name) + "_ms").c_str(), wall - wall_);
    out_.Add((std::string(name) + "_cpu_ms").c_str(), cpu - cpu_);
    totalWall_ += wall - wall_;
    totalCpu_ += cpu - cpu_;
    // The reading of the counters is not charged to the next step.
    wall_ = NowMs();
    cpu_ = ThreadCpuMs(pid_);
  }
  void Total() {
    out_.Add("steps_ms", totalWall_);
    out_.Add("steps_cpu_ms", totalCpu_);
  }

 private:
  Json& out_;
  int pid_;
  double wall_, cpu_;
  double totalWall_ = 0, totalCpu_ = 0;
};

// A browser control in a window of its own, made and dropped.
void CreateThrowawayBrowser() {
  UniqueWindow host(CreateWindowExA(0, "STATIC", nullptr, WS_POPUP, 0, 0, 457, 245, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
  BrowserHost browser;
  browser.Create(host.get());
}

// bare_browser.exe's start, step by step.
void ProfileBare(Steps& steps, HINSTANCE instance) {
  HWND frame = nullptr, host = nullptr;
  BrowserHost browser;
  steps.Time("ole", [] { OleInitialize(nullptr); });
  steps.Time("frame", [&] {
    frame = CreateBareFrame(instance);
    host = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 25,
                           457, 245, frame, nullptr, instance, nullptr);
  });
  steps.Time("browser", [&] { browser.Create(host); });
  steps.Time("navigate", [&] { browser.Navigate(kStartPage, nullptr, nullptr, nullptr, nullptr); });
  steps.Time("show", [&] { ShowWindow(frame, SW_SHOWNORMAL); });
  steps.Time("first_paint", [] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  });
  steps.Total();
}

struct Options {
  bool wicFirst, fontFirst, browserFirst, firstStart, bare;
};

// The program's start, step by step: RunProgram and TFormMain's constructor.
void ProfileProgram(Steps& steps, const Options& options) {
  steps.Time("ole_and_common_controls", [] {
    Application->Initialize();
    Application->SetTitle("MURAVA\xb5\xe7\xcc\xa8");
  });
  if (options.wicFirst) {
    steps.Time("wic_first_picture", [] {
      TPicture picture;
      picture.LoadFromResource(GetModuleHandleA(nullptr), "TITLE");
      picture.Handle();  // a JPEG is decoded at its first use
    });
  }
  if (options.browserFirst) steps.Time("browser_first", CreateThrowawayBrowser);
  if (options.fontFirst) {
    steps.Time("font_first_measure", [] {
      TFont font;
      font.Height = -12;
      font.Name = "\xcb\xce\xcc\xe5";  // 宋体, as code page 936 bytes
      font.Charset = ANSI_CHARSET;
      font.TextHeight();
    });
  }
  TProfiledForm* form = nullptr;
  steps.Time("form_definition", [&] { Application->CreateForm(form); });
  std::unique_ptr<TNoCaptionForm> noCaption;
  steps.Time("caption_controller", [&] {
    noCaption =
        std::make_unique<TNoCaptionForm>(form, false, form->PanelTitle, nullptr, nullptr, nullptr);
    noCaption->SetTitleButtons(form->EzRgnBtnClose, form->EzRgnBtnMin, nullptr, nullptr, true);
  });
  steps.Time("navigate", [&] {
    VARIANT omitted = EmptyParam();
    form->CppWebBrowser->Navigate(kStartPage, &omitted, &omitted, &omitted, &omitted);
  });
  steps.Time("shortcut_check", [] {
    AnsiString desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
    FileExists(desktop + "\\MURAVA\xb5\xe7\xcc\xa8.lnk");
  });
  if (options.firstStart) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    AnsiString folder = AnsiString(temp) + "bench-shortcut-" +
                        AnsiString(std::to_string(GetCurrentProcessId()).c_str());
    steps.Time("shortcut_write",
               [&] { CreateShortcut(Application->ExeName(), "MURAVA\xb5\xe7\xcc\xa8", folder); });
    DeleteFileA((folder + "\\MURAVA\xb5\xe7\xcc\xa8.lnk").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  steps.Time("show", [&] {
    form->Show();
    ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
  });
  steps.Time("first_paint", [] { Application->ProcessMessages(); });
  steps.Total();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  Json out;
  auto has = [commandLine](const char* flag) { return std::strstr(commandLine, flag) != nullptr; };
  Options options{has("--wic-first"), has("--font-first"), has("--browser-first"),
                  has("--first-start"), has("--bare")};
  out.Add("mode", std::string(options.bare           ? "bare"
                              : options.wicFirst     ? "wic-first"
                              : options.fontFirst    ? "font-first"
                              : options.browserFirst ? "browser-first"
                                                     : "program") +
                      (options.firstStart ? "+first-start" : ""));

  // The UI thread's CPU time before WinMain (loader, DLLs, static
  // constructors), less what finding the process costs, measured by a second search.
  int unixPid = linux_proc::FindWineProgram("startup_profile.exe");
  double found = ThreadCpuMs(unixPid);
  linux_proc::FindWineProgram("startup_profile.exe");
  out.Add("cpu_before_entry_ms", 2 * found - ThreadCpuMs(unixPid));
  Steps steps(out, unixPid);
  try {
    if (options.bare) {
      ProfileBare(steps, instance);
    } else {
      ProfileProgram(steps, options);
    }
  } catch (Exception& exception) {
    out.Add("error", exception.Message.c_str());
  }
  // A GUI program like the one it profiles: Wine hands it the starting
  // shell's output all the same.
  std::string line = out.Text() + "\n";
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  return 0;
}
