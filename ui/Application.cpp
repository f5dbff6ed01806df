#include "ui/Application.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>

#include "ui/Form.h"

namespace {
TApplication theApplication;
const char kAppWindowClass[] = "RadioApplication";
}  // namespace

TApplication* Application = &theApplication;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  // The forms go first (their OnDestroy runs while everything still exists),
  // then the windows of the application, then OLE.
  while (ComponentCount() > 0) Free(Components(ComponentCount() - 1));
  mainForm_ = nullptr;
  if (hintWindow_) DestroyWindow(hintWindow_);
  if (handle_) DestroyWindow(handle_);
  if (oleInitialized_) OleUninitialize();
}

void TApplication::Initialize() {
  // OleInitialize rather than CoInitialize: it makes the UI thread a
  // single-threaded apartment as CoInitialize(nullptr) does, and also sets up
  // the OLE services (in-place activation, drag and drop, clipboard) that the
  // embedded browser control relies on.
  if (!oleInitialized_) oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

void TApplication::SetTitle(const AnsiString& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title_.c_str());
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TApplication::AppWndProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, "MAINICON");
  windowClass.lpszClassName = kAppWindowClass;
  RegisterClassExA(&windowClass);
  // An empty window in the middle of the screen: never seen, but it has the
  // taskbar button, and minimizing it takes the forms it owns along.
  int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = CreateWindowExA(0, kAppWindowClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            x, y, 0, 0, nullptr, nullptr, windowClass.hInstance, this);
  if (!handle_) throw Exception(ResultText("Cannot create the application window", GetLastError()));
  // Systems that cannot show an empty window show a pixel of it instead; an
  // empty region keeps even that off the screen. The system owns the region.
  SetWindowRgn(handle_, CreateRectRgn(0, 0, 0, 0), FALSE);
  return handle_;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!app) return DefWindowProcA(window, msg, wParam, lParam);
  try {
    switch (msg) {
      case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
          case SC_MINIMIZE:
            app->Minimize();
            return 0;
          case SC_RESTORE:
            app->Restore();
            return 0;
          case SC_CLOSE:
            if (app->mainForm_) app->mainForm_->Close();
            return 0;
        }
        break;
      case WM_CLOSE:
        if (app->mainForm_) app->mainForm_->Close();
        return 0;
      case WM_SIZE:
        // Restored from outside (the taskbar, ShowWindow): the forms come back.
        if (wParam == SIZE_RESTORED && app->minimized_) {
          app->minimized_ = false;
          ShowOwnedPopups(window, TRUE);
          if (app->mainForm_ && app->mainForm_->HandleAllocated()) {
            SetForegroundWindow(app->mainForm_->Handle());
          }
        }
        break;
      case WM_ACTIVATE:
        // The taskbar button activates this window; the main form takes over.
        if (LOWORD(wParam) != WA_INACTIVE && !app->minimized_ && app->mainForm_ &&
            app->mainForm_->HandleAllocated() && IsWindowVisible(app->mainForm_->Handle())) {
          SetActiveWindow(app->mainForm_->Handle());
          return 0;
        }
        break;
    }
  } catch (...) {
    app->HandleException(app);
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

void TApplication::Minimize() {
  if (minimized_) return;
  minimized_ = true;
  ShowOwnedPopups(Handle(), FALSE);
  ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (!minimized_) return;
  ShowWindow(Handle(), SW_RESTORE);  // WM_SIZE brings the forms back
}

void TApplication::Run() {
  if (!mainForm_) return;
  mainForm_->Show();
  // The taskbar button's window comes second: the form is what the user waits for.
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  MSG msg;
  while (!terminated_) {
    // Work that can wait is done once nothing else waits: the page's request,
    // the first paints and the user's input all come first.
    if (IdleWorkPending() && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) Idle();
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) break;
    ProcessMessage(msg);
  }
  terminated_ = true;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return false;
  }
  if (TWinControl::PreTranslate(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!ProcessMessage(msg)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
  }
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::ShowException(Exception& exception) {
  if (OnException) {
    OnException(this, exception);
    return;
  }
  HWND owner = nullptr;
  if (mainForm_ && mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->Handle())) {
    owner = mainForm_->Handle();
  }
  MessageBoxA(owner, exception.Message.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject*) {
  try {
    throw;
  } catch (EAbort&) {
    // the silent abort is never shown
  } catch (Exception& exception) {
    ShowException(exception);
  } catch (std::exception& error) {
    Exception exception(error.what());
    ShowException(exception);
  } catch (...) {
    Exception exception{AnsiString()};
    ShowException(exception);
  }
}

AnsiString TApplication::ExeName() const {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return AnsiString(path, static_cast<int>(length));
}

bool TApplication::IdleWorkPending() const { return !pendingHints_.empty(); }

void TApplication::Idle() {
  // Tried once: a program without a tooltip goes on without hints.
  if (!HintWindow()) pendingHints_.clear();
}

void TApplication::AddHint(HWND window, const AnsiString& text) {
  RemoveHint(window);
  if (hintWindow_) {
    RegisterHint(window, text);
    return;
  }
  pendingHints_.emplace_back(window, text);
}

HWND TApplication::HintWindow() {
  if (!hintWindow_) {
    hintWindow_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!hintWindow_) return nullptr;  // no hints is no reason to stop the program
  }
  for (const auto& [window, text] : pendingHints_) RegisterHint(window, text);
  pendingHints_.clear();
  return hintWindow_;
}

void TApplication::RegisterHint(HWND window, const AnsiString& text) {
  // The size of the first tooltip record, which every version of the common
  // controls accepts.
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(window) ? GetParent(window) : window;
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(hintWindow_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TApplication::RemoveHint(HWND window) {
  std::erase_if(pendingHints_, [window](const auto& hint) { return hint.first == window; });
  if (!hintWindow_) return;
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = GetParent(window) ? GetParent(window) : window;
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  SendMessageA(hintWindow_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}
