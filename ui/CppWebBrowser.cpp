#include "ui/CppWebBrowser.h"

#include "ui/Exception.h"

VARIANT EmptyParam() {
  VARIANT omitted;
  VariantInit(&omitted);
  omitted.vt = VT_ERROR;
  omitted.scode = DISP_E_PARAMNOTFOUND;
  return omitted;
}

void TCppWebBrowser::HandleCreated() {
  HRESULT result = host_.Create(Handle());
  if (FAILED(result)) throw Exception(ResultText("Cannot create the web browser control", result));
}

HRESULT TCppWebBrowser::Navigate(const wchar_t* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                 VARIANT* PostData, VARIANT* Headers) {
  Handle();
  return host_.Navigate(URL, Flags, TargetFrameName, PostData, Headers);
}

void TCppWebBrowser::WndProc(TMessage& message) {
  if (message.Msg == WM_SIZE) host_.Resize(LOWORD(message.LParam), HIWORD(message.LParam));
  // The control paints everything; nothing of ours may show through.
  if (message.Msg == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(Handle(), &paint);
    EndPaint(Handle(), &paint);
    return;
  }
  TWinControl::WndProc(message);
}

bool TCppWebBrowser::PreTranslateMessage(MSG& msg) { return host_.TranslateAccelerator(&msg); }
