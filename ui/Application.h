#pragma once
// The application object: COM for the UI thread, the title, form creation,
// the message loop, the exception display, the executable's path and the
// hint display. Its own hidden top-level window owns the main form and
// carries the taskbar button.

#include <windows.h>

#include <utility>
#include <vector>

#include "ui/Component.h"
#include "ui/Exception.h"
#include "ui/Method.h"

class TForm;

using TExceptionEvent = TMethod<TObject*, Exception&>;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title);

  // Creates a form owned by the application and stores it in `reference`;
  // the first form created is the main form.
  template <class TFormClass>
  void CreateForm(TFormClass*& reference) {
    reference = new TFormClass(this);
    if (!mainForm_) mainForm_ = reference;
  }
  TForm* MainForm() const { return mainForm_; }

  // Shows the main form and handles messages until it is closed.
  void Run();
  // Ends the message loop.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles the messages waiting now, then returns.
  void ProcessMessages();

  // The exception display: OnException when set, else a stop box with the
  // title as caption and the message as text.
  void ShowException(Exception& exception);
  TExceptionEvent OnException;
  // Shows the exception being handled (call inside a catch block); the silent
  // abort is dropped.
  void HandleException(TObject* sender);

  AnsiString ExeName() const;

  HWND Handle();
  // The whole application to the taskbar and back; owned forms follow.
  void Minimize();
  void Restore();

  // The hint display, one tooltip for the whole application. It is made when
  // the message loop first runs out of messages (a tooltip costs Wine some
  // 20 ms, which neither the first sight of the main form nor its page need
  // wait for), or when asked for.
  void AddHint(HWND window, const AnsiString& text);
  void RemoveHint(HWND window);
  HWND HintWindow();

 private:
  static LRESULT CALLBACK AppWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  bool ProcessMessage(MSG& msg);
  bool IdleWorkPending() const;
  // The work that waits for an empty queue; only while some is pending.
  void Idle();
  void RegisterHint(HWND window, const AnsiString& text);

  AnsiString title_;
  TForm* mainForm_ = nullptr;
  HWND handle_ = nullptr;
  HWND hintWindow_ = nullptr;
  std::vector<std::pair<HWND, AnsiString>> pendingHints_;
  bool oleInitialized_ = false;
  bool terminated_ = false;
  bool minimized_ = false;
};

extern TApplication* Application;
