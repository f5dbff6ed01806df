#pragma once
// The browser control: a windowed control holding the system WebBrowser
// control, created with the control's window and sized to its bounds.

#include "ui/BrowserHost.h"
#include "ui/WinControl.h"

// A variant for an omitted optional argument (VT_ERROR, DISP_E_PARAMNOTFOUND).
VARIANT EmptyParam();

class TCppWebBrowser : public TWinControl {
 public:
  explicit TCppWebBrowser(TComponent* owner) : TWinControl(owner) {}

  // Hands the URL and the optional arguments to the control's navigate.
  HRESULT Navigate(const wchar_t* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                   VARIANT* Headers);
  IWebBrowser2* ControlInterface() const { return host_.Browser(); }

 protected:
  // Throws Exception with the failing result when the control cannot be made.
  void HandleCreated() override;
  void WndProc(TMessage& message) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  BrowserHost host_;
};
